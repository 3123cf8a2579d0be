#include "shell/frmLogin.h"

#include "platform/ui/ControlCharacters.h"
#include "platform/ui/ListBox.h"
#include "platform/ui/MessageBoxes.h"
#include "platform/ui/PictureButton.h"
#include "shell/Artwork.h"
#include "shell/Connection.h"
#include "shell/DbSettings.h"
#include "shell/MDIForm1.h"
#include "shell/Handlers.h"
#include "shell/Module1.h"
#include "shell/Program.h"
#include "shell/ShellSql.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPointer>
#include <QPushButton>

namespace {

QPointer<frmLogin> &theInstance()
{
    static QPointer<frmLogin> window;
    return window;
}

PictureButton *pictureButton(QWidget *parent, const QString &name, const QImage &image, const QString &toolTip)
{
    auto *button = new PictureButton(parent);
    button->setObjectName(name);
    button->setPicture(QIcon(QPixmap::fromImage(image)));
    button->setFixedSize(image.size());
    button->setFlat(true);
    button->setToolTip(toolTip);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

} // namespace

frmLogin *frmLogin::instance()
{
    if (!theInstance())
        theInstance() = new frmLogin;
    return theInstance();
}

void frmLogin::destroyInstance()
{
    delete theInstance().data();
}

frmLogin::frmLogin(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(QStringLiteral("Veldrin系统"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_background = Artwork::loginBackground();
    buildControls();
}

void frmLogin::buildControls()
{
    setFixedSize(m_background.size() + QSize(0, 120));

    TxtUser = new QLineEdit(this);
    TxtUser->setObjectName(QStringLiteral("TxtUser"));
    TxtUser->setGeometry(100, 103, 170, 24);

    txtPassword = new QLineEdit(this);
    txtPassword->setObjectName(QStringLiteral("txtPassword"));
    txtPassword->setEchoMode(QLineEdit::Password);
    txtPassword->setGeometry(100, 135, 170, 24);

    cmdOK = pictureButton(this, QStringLiteral("cmdOK"), Artwork::okButton(), QStringLiteral("登录"));
    cmdOK->move(94, 178);
    cmdCancel = pictureButton(this, QStringLiteral("cmdCancel"), Artwork::cancelButton(), QStringLiteral("退出"));
    cmdCancel->move(190, 178);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(272, 204, 64, 20);
    Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    Label2 = new QLabel(QStringLiteral("请您选择要登录的岗位"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(12, 230, 316, 18);
    Label2->hide();

    List1 = new ListBox(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setGeometry(12, 250, 316, 92);
    List1->hide();

    setTabOrder(TxtUser, txtPassword);
    setTabOrder(txtPassword, cmdOK);
    setTabOrder(cmdOK, cmdCancel);
    TxtUser->installEventFilter(this);
    txtPassword->installEventFilter(this);
    List1->installEventFilter(this);
    // A NUL or line break pasted into a box would reach the statements as typed.
    dropControlCharacters(TxtUser);
    dropControlCharacters(txtPassword);

    connectHandler(cmdOK, &QPushButton::clicked, this, &frmLogin::cmdOK_Click);
    connectHandler(cmdCancel, &QPushButton::clicked, this, &frmLogin::cmdCancel_Click);
    connectHandler(List1, &QListWidget::itemDoubleClicked, this, &frmLogin::List1_DblClick);
}

void frmLogin::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Shown at start and for every switch of operator: in front of the main window and
    // ready for a user id, also where no window manager hands out the focus.
    raise();
    activateWindow();
    TxtUser->setFocus(Qt::OtherFocusReason);
}

void frmLogin::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(244, 248, 253));
    painter.drawImage(0, 0, m_background);
}

bool frmLogin::ConnectWithSettings()
{
    return ::ConnectWithSettings();
}

bool frmLogin::Form_Load()
{
    if (!LaunchArguments().isEmpty()) {
        const QStringList fields = LaunchArguments().split(QLatin1Char(','));
        // The launcher's fields fill the context in order; fewer leave the rest empty.
        for (int i = 0; i < OperatorContextRecord::FieldCount; ++i)
            OperatorContext().field(i) = fields.value(i);
        if (ConnectWithSettings()) {
            showMainWindow();
            return false;
        }
    }
    Label1->setText(versionLabelText());
    return true;
}

bool frmLogin::isSuperUserSignIn() const
{
    const LocalSettings local = readLocalSettings();
    return local.superUserEnabled && TxtUser->text() == superUserId()
        && txtPassword->text() == local.superUserPassword;
}

void frmLogin::cmdOK_Click()
{
    if (TxtUser->text().isEmpty()) {
        MessageBoxes::showWithAppTitle(this, QStringLiteral("用户名不能为空!"), MessageBoxes::Icon::Information);
        return;
    }
    if (txtPassword->text().isEmpty()) {
        MessageBoxes::showWithAppTitle(this, QStringLiteral("密码不能为空!"), MessageBoxes::Icon::Information);
        return;
    }
    OperatorContext().clear();
    if (!ConnectWithSettings()) {
        EndProgram();
        return;
    }
    // A failure while the operator is looked up reads as the short report.
    runReportingErrors([this] { checkOperator(); }, ErrorReport::ShortText);
}

void frmLogin::checkOperator()
{
    if (isSuperUserSignIn()) {
        OperatorContext().工号 = QStringLiteral("超级用户");
        if (!Tag.isEmpty())
            accept();
        else
            showMainWindow();
        return;
    }
    const QString user = TxtUser->text();
    const db::Recordset employee = DbConnection().open(employeeLookupSql(user, txtPassword->text().trimmed()));
    if (employee.eof()) {
        MessageBoxes::showWithAppTitle(this, QStringLiteral("用户名或密码不正确,请重新输入!"), MessageBoxes::Icon::Information);
        return;
    }
    readPosts(user);
}

void frmLogin::readPosts(const QString &user)
{
    db::Recordset posts = DbConnection().open(currentPostsSql(user));
    if (posts.eof()) {
        MessageBoxes::showWithAppTitle(this, QStringLiteral("对不起，您没有岗位，请选择系统管理员"));
        return;
    }
    List1->clear();
    m_choices.clear();
    for (; !posts.eof(); posts.moveNext()) {
        const QString kind = posts.flag(QStringLiteral("主要岗位")) ? QStringLiteral("主要") : QStringLiteral("兼职");
        List1->addLine(posts.text(QStringLiteral("职能部门名称")) + QLatin1Char(' ') + posts.text(QStringLiteral("岗位名称"))
                       + QLatin1Char('(') + kind + QLatin1Char(')'));
        PostChoice choice;
        choice.工号 = TxtUser->text();
        choice.姓名 = posts.text(QStringLiteral("姓名"));
        choice.职能部门编号 = posts.text(QStringLiteral("职能部门编号"));
        choice.职能部门名称 = posts.text(QStringLiteral("职能部门名称"));
        choice.岗位代号 = posts.text(QStringLiteral("岗位代号"));
        choice.岗位名称 = posts.text(QStringLiteral("岗位名称"));
        choice.部门类别代号 = posts.text(QStringLiteral("部门类别代号"));
        choice.部门类别名称 = posts.text(QStringLiteral("部门类别名称"));
        choice.岗位类别编号 = posts.text(QStringLiteral("岗位类别编号"));
        choice.岗位类别名称 = posts.text(QStringLiteral("岗位类别名称"));
        m_choices.append(choice);
    }
    if (List1->count() == 1) {
        List1->setCurrentRow(0);
        List1_DblClick();
        return;
    }
    Label2->show();
    List1->show();
    // The first post is chosen, not only focused, so that Enter signs in with it.
    List1->setListIndex(0);
    List1->setFocus();
}

void frmLogin::List1_DblClick()
{
    const int index = List1->currentRow();
    if (index < 0 || index >= m_choices.size())
        return;
    choosePost(index);
}

void frmLogin::choosePost(int index)
{
    const PostChoice &choice = m_choices[index];
    for (int i = 0; i < OperatorContextRecord::FieldCount; ++i)
        OperatorContext().field(i) = choice.field(i).trimmed();
    if (!Tag.isEmpty())
        accept();
    else
        showMainWindow();
}

void frmLogin::showMainWindow()
{
    MDIForm1 *main = MDIForm1::instance();
    main->show();
    main->raise();
    main->activateWindow();
    // Showing the main window the first time closes this one; later it is closed here.
    hide();
}

void frmLogin::cmdCancel_Click()
{
    EndProgram();
}

void frmLogin::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        cmdCancel_Click();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool frmLogin::postListKeyPress(const QKeyEvent *key)
{
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return false;
    // Enter chooses the selected post as a double-click does; it never reaches the
    // default button, which would run the whole sign-in again.
    if (List1->listIndex() >= 0)
        List1_DblClick();
    return true;
}

bool frmLogin::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == List1 && event->type() == QEvent::KeyPress && postListKeyPress(static_cast<QKeyEvent *>(event)))
        return true;
    auto *edit = qobject_cast<QLineEdit *>(watched);
    if (!edit)
        return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            // Enter moves on like Tab: user id -> password -> OK.
            (edit == TxtUser ? static_cast<QWidget *>(txtPassword) : cmdOK)->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    if (event->type() == QEvent::FocusIn) {
        if (edit == TxtUser) {
            Label2->hide();
            List1->hide();
        }
        // Selecting at once would be undone by the click that gave the focus.
        QMetaObject::invokeMethod(edit, &QLineEdit::selectAll, Qt::QueuedConnection);
    }
    return QDialog::eventFilter(watched, event);
}
