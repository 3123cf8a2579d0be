#pragma once

#include "shell/ChildWindow.h"

#include <QPlainTextEdit>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

namespace db {
class Recordset;
}

// A read-only box of several lines that gives back its text exactly as it was set:
// the editor underneath turns CR LF into paragraph breaks, the box's text keeps them.
class InfoTextBox : public QPlainTextEdit
{
public:
    explicit InfoTextBox(QWidget *parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString &text);

private:
    QString m_text;
};

// The reverse write-off window: looks a written-off book up, then takes it out of its
// write-off record (or deletes the record when the book was its only one), clears the
// write-off stamps of its bills and issue lines and puts the book back to "领用".
//
// No Q_OBJECT: moc cannot read the class's name. Handlers are plain members,
// connected by member-function pointers.
class frm票据反核销 : public ChildWindow
{
public:
    explicit frm票据反核销(QWidget *parent = nullptr);

    QLabel *Label2;
    QLineEdit *Text2; // the book number
    QPushButton *Command1;
    QLabel *Label3;
    QLineEdit *Text1; // the write-off record number
    QPushButton *Command3; // the window's default button
    QPushButton *Command2;
    InfoTextBox *Text3;

    // The lines the info box shows for one row of the book's write-off information.
    static QString writeOffInfoBlock(const db::Recordset &row);

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

protected:
    void Form_Load() override;
    QPushButton *defaultButton() const override;

private:
    void buildControls();
    void lookUpBook(const QString &book);
};
