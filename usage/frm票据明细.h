#pragma once

#include <QDialog>

class FlexGrid;
class QLabel;
class QLineEdit;
class QPushButton;

// The bills of one book, read only: number, issue date, payer, amount, payment
// method, payment date, void date and reason, write-off date. Opened from the usage
// window's "查看" column, modal over the whole program.
//
// No Q_OBJECT: moc cannot read the class's name.
class frm票据明细 : public QDialog
{
public:
    explicit frm票据明细(const QString &bookNumber, QWidget *parent = nullptr);

    static QString gridFormat();

    QLabel *Label1;
    QLineEdit *Text1;
    QLabel *Label2;
    QLineEdit *Text2;
    FlexGrid *MSFlexGrid1;
    QPushButton *Command1;

    // Shows the window, modal, without waiting for it to close; it deletes itself
    // when closed.
    void showModal();
    void Command1_Click();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildControls();
    void loadBills();
};
