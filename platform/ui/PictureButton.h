#pragma once

#include <QPushButton>

// A push button that shows a picture, filling the button, with an optional caption.
class PictureButton : public QPushButton
{
    Q_OBJECT
public:
    explicit PictureButton(QWidget *parent = nullptr);

    void setPicture(const QIcon &picture);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void fitPicture();
};
