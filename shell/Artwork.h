#pragma once

#include <QImage>

// The program's own pictures, drawn in code so that no image file is needed.
namespace Artwork {

// The login window's background, 340 × 227 pixels.
QImage loginBackground();
// The picture buttons of the login window (no caption on the button itself).
QImage okButton();
QImage cancelButton();
// The banner across the top of the main window, 1028 × 54 pixels: a left part with
// the product name, a plain middle that tiles, and a right end.
QImage banner();
// The picture of the about box.
QImage aboutPicture();

} // namespace Artwork
