#include "shell/frmAbout.h"

#include "platform/ui/MessageBoxes.h"
#include "shell/Artwork.h"
#include "shell/Module1.h"
#include "shell/Program.h"

#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

#ifdef Q_OS_WIN
#include <QSettings>
#endif

frmAbout::frmAbout(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("关于Veldrin系统2011版"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint | Qt::WindowTitleHint);

    auto *picture = new QLabel(this);
    picture->setPixmap(QPixmap::fromImage(Artwork::aboutPicture()));
    picture->setAlignment(Qt::AlignTop);

    Label7 = new QLabel(this);
    Label7->setObjectName(QStringLiteral("Label7"));
    QFont big = Label7->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    big.setBold(true);
    Label7->setFont(big);
    lblTitle = new QLabel(this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    auto *description = new QLabel(QStringLiteral("票据入库、票据本使用情况、反核销、作废恢复审批与作废统计。"), this);
    description->setWordWrap(true);
    auto *warning = new QLabel(QStringLiteral("本程序受著作权法保护。未经授权复制或传播本程序的全部或部分，将承担法律责任。"), this);
    warning->setWordWrap(true);

    auto line = [this] {
        auto *frame = new QFrame(this);
        frame->setFrameShape(QFrame::HLine);
        frame->setFrameShadow(QFrame::Sunken);
        return frame;
    };

    cmdOK = new QPushButton(QStringLiteral("确定"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdSysInfo = new QPushButton(QStringLiteral("系统信息"), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));

    auto *text = new QVBoxLayout;
    text->addWidget(Label7);
    text->addWidget(lblTitle);
    text->addWidget(line());
    text->addWidget(description);
    auto *top = new QHBoxLayout;
    top->addWidget(picture);
    top->addLayout(text, 1);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(warning, 1);
    bottom->addLayout(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(line());
    layout->addLayout(bottom);
    setFixedSize(470, 250);

    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
    Form_Load();
}

void frmAbout::Form_Load()
{
    Label7->setText(productLine() + fullVersionText());
    lblTitle->setText(QStringLiteral("Veldrin系统2011版的一部分"));
}

void frmAbout::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_loaded) {
        m_loaded = true;
        CenterChild(this);
    }
}

void frmAbout::cmdOK_Click()
{
    close();
}

void frmAbout::cmdSysInfo_Click()
{
    StartSysInfo();
}

QStringList frmAbout::systemInformationPrograms()
{
    return {QStringLiteral("hardinfo"), QStringLiteral("hardinfo2"), QStringLiteral("gnome-system-monitor"),
            QStringLiteral("kinfocenter"), QStringLiteral("xfce4-taskmanager")};
}

void frmAbout::StartSysInfo()
{
#ifdef Q_OS_WIN
    QString path;
    if (GetKeyValue(QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"), QStringLiteral("PATH"), path)
        && QProcess::startDetached(path, {})) {
        return;
    }
    if (GetKeyValue(QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"), QStringLiteral("MSINFO"), path)) {
        const QString program = path + QStringLiteral("\\MSINFO32.EXE");
        if (QFileInfo::exists(program) && QProcess::startDetached(program, {}))
            return;
    }
#else
    for (const QString &name : systemInformationPrograms()) {
        const QString program = QStandardPaths::findExecutable(name);
        if (!program.isEmpty() && QProcess::startDetached(program, {}))
            return;
    }
#endif
    MessageBoxes::showWithAppTitle(this, QStringLiteral("此时系统信息不可用"));
}

#ifdef Q_OS_WIN
bool GetKeyValue(const QString &keyName, const QString &valueName, QString &value)
{
    QSettings key(QStringLiteral("HKEY_LOCAL_MACHINE\\") + keyName, QSettings::NativeFormat);
    const QVariant v = key.value(valueName);
    value = v.isValid() ? v.toString() : QString();
    return v.isValid();
}
#endif
