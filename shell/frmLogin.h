#pragma once

#include "shell/AppState.h"

#include <QDialog>
#include <QVector>

class QLabel;
class QLineEdit;
class ListBox;
class PictureButton;

// One line of the post list: the operator context the line stands for.
using PostChoice = OperatorContextRecord;

// The sign-in window: user id and password, then the choice of one of the operator's
// current posts, which fills the OperatorContext. The same window switches the
// operator later (Tag "切换"). With an identity on the command line it connects and
// opens the main window without showing itself.
class frmLogin : public QDialog
{
    Q_OBJECT

public:
    // The one login window of the program.
    static frmLogin *instance();
    static void destroyInstance();

    // Reads the command line and, with an identity there, signs in silently.
    // Returns true when the window is needed (no silent sign-in happened).
    bool Form_Load();
    bool ConnectWithSettings();

    // "切换" while the main window asks for a switch of operator; empty at start.
    QString Tag;

    QLineEdit *TxtUser;
    QLineEdit *txtPassword;
    PictureButton *cmdOK;
    PictureButton *cmdCancel;
    QLabel *Label1;
    QLabel *Label2;
    ListBox *List1;

    const QVector<PostChoice> &postChoices() const { return m_choices; }

    // The super-user's sign-in, unless switched off in the settings.
    static QString superUserId() { return QStringLiteral("supVr"); }

public slots:
    void cmdOK_Click();
    void cmdCancel_Click();
    void List1_DblClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    explicit frmLogin(QWidget *parent = nullptr);
    void buildControls();
    void checkOperator();
    bool isSuperUserSignIn() const;
    void readPosts(const QString &user);
    void choosePost(int index);
    void showMainWindow();
    bool postListKeyPress(const QKeyEvent *key);

    QVector<PostChoice> m_choices;
    QImage m_background;
};
