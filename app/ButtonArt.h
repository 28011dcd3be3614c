#pragma once

#include <QPixmap>

namespace vx {

// Our own 32x32 pictures for the command buttons, drawn at the screen's pixel ratio.
QPixmap TextPagePicture();  // a text page with a large blue T
QPixmap FolderPicture();    // an open yellow folder
QPixmap PdfPagePicture();   // a page marked PDF
QPixmap BlankIcon();        // fully transparent, so no picture shows in the title bar

}  // namespace vx
