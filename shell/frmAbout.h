#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The about box: product line and version, and a button that starts the system's
// information tool.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit frmAbout(QWidget *parent = nullptr);

    QLabel *Label7;
    QLabel *lblTitle;
    QPushButton *cmdOK;
    QPushButton *cmdSysInfo;

    static QString productLine() { return QStringLiteral("Tessaline 票据管理 "); }
    // The programs tried, in order, as the system information tool outside Windows.
    static QStringList systemInformationPrograms();

public slots:
    void cmdOK_Click();
    void cmdSysInfo_Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void Form_Load();
    void StartSysInfo();
    bool m_loaded = false;
};

#ifdef Q_OS_WIN
// Reads a value under the machine-wide registry root: (found, value text).
bool GetKeyValue(const QString &keyName, const QString &valueName, QString &value);
#endif
