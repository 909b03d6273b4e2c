#pragma once
// Pictures of plots for paper and files: one or more plots stacked on a landscape A4 or A3
// page under a title (record, channel, quantity), as a PNG at a chosen resolution, a PDF that
// carries the title, or a printed page. The window's 画像を保存 and 印刷 and the headless
// --export draw through here.

#include <QByteArray>
#include <QString>

#include <string>
#include <vector>

#include "viewer/page_layout.hpp"

class QCustomPlot;
class QPrinter;

namespace accprep {

struct Picture {
  QString title;
  std::vector<QCustomPlot*> plots;  // top to bottom, sharing the height below the title
};

// The picture as PNG bytes (at `dpi`, its resolution recorded in the file) or as a one-page
// PDF whose document title is the picture's.
QByteArray PictureBytes(const Picture& picture, PageSize page, int dpi, bool pdf);

// Writes the picture to `path` through the atomic file: PDF when the path ends in ".pdf"
// (any case), else PNG. Throws DataError kIo naming the path when it cannot be written.
void SavePicture(const Picture& picture, const std::string& path, PageSize page, int dpi);

// Draws the picture on `printer`'s page, which the caller has set up (its dialog answered).
void PrintPicture(const Picture& picture, QPrinter& printer);

// True for a path that names a PDF.
bool IsPdfPath(const QString& path);

}  // namespace accprep
