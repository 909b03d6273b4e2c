#include "viewer/plot_picture.hpp"

#include <qcustomplot.h>

#include <QBuffer>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include "engine/atomic_file.hpp"

namespace accprep {
namespace {

constexpr int kMargin = 24;       // layout pixels around the page's content (6 mm)
constexpr int kTitleHeight = 34;  // layout pixels of the title row
constexpr int kPrintDpi = 300;

// Lays the picture out on a page of `width` x `height` layout pixels (96 per inch), so that
// its fonts keep their point sizes.
void Draw(const Picture& picture, QCPPainter& painter, int width, int height) {
  painter.fillRect(QRect(0, 0, width, height), Qt::white);
  QFont titleFont = picture.plots.empty() ? QFont() : picture.plots.front()->font();
  titleFont.setPointSize(13);
  titleFont.setBold(true);
  painter.setFont(titleFont);
  painter.setPen(Qt::black);
  const QRect titleRect(kMargin, kMargin / 2, width - 2 * kMargin, kTitleHeight);
  painter.drawText(
      titleRect, Qt::AlignLeft | Qt::AlignVCenter,
      QFontMetrics(titleFont).elidedText(picture.title, Qt::ElideMiddle, titleRect.width()));
  if (picture.plots.empty()) return;
  const int top = kMargin / 2 + kTitleHeight;
  const int each = (height - top - kMargin / 2) / static_cast<int>(picture.plots.size());
  for (std::size_t i = 0; i < picture.plots.size(); ++i) {
    QCustomPlot* plot = picture.plots[i];
    painter.save();
    painter.translate(kMargin / 2, top + static_cast<int>(i) * each);
    plot->toPainter(&painter, width - kMargin, each);
    painter.restore();
    // The plot on screen takes its own size back at its next replot.
    plot->replot(QCustomPlot::rpQueuedReplot);
  }
}

QImage PageImage(const Picture& picture, const PageLayout& layout) {
  QImage image(layout.pixelWidth, layout.pixelHeight, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QCPPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.scale(layout.scale, layout.scale);
    Draw(picture, painter, layout.layoutWidth, layout.layoutHeight);
  }
  // Only now: set before the drawing, the resolution would scale the fonts once more.
  const int dotsPerMeter = static_cast<int>(std::lround(layout.scale * kLayoutDpi / 0.0254));
  image.setDotsPerMeterX(dotsPerMeter);
  image.setDotsPerMeterY(dotsPerMeter);
  return image;
}

}  // namespace

bool IsPdfPath(const QString& path) { return path.endsWith(".pdf", Qt::CaseInsensitive); }

QByteArray PictureBytes(const Picture& picture, PageSize page, int dpi, bool pdf) {
  const PageLayout layout = LandscapePage(page, dpi);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!pdf) {
    PageImage(picture, layout).save(&buffer, "PNG");
    return bytes;
  }
  QPdfWriter writer(&buffer);
  writer.setTitle(picture.title);
  writer.setCreator(QStringLiteral("accprep-view"));
  writer.setPageLayout(QPageLayout(QPageSize(page == PageSize::kA4 ? QPageSize::A4 : QPageSize::A3),
                                   QPageLayout::Landscape, QMarginsF(0, 0, 0, 0)));
  // One unit of the page is one layout pixel: the fonts keep their point sizes.
  writer.setResolution(kLayoutDpi);
  QCPPainter painter(&writer);
  painter.setMode(QCPPainter::pmVectorized);
  painter.setMode(QCPPainter::pmNoCaching);
  Draw(picture, painter, layout.layoutWidth, layout.layoutHeight);
  painter.end();
  return bytes;
}

void SavePicture(const Picture& picture, const std::string& path, PageSize page, int dpi) {
  const QByteArray bytes =
      PictureBytes(picture, page, dpi, IsPdfPath(QString::fromStdString(path)));
  WriteFileAtomically(path, std::string_view(bytes.constData(), bytes.size()));
}

void PrintPicture(const Picture& picture, QPrinter& printer) {
  // Drawn as an image of the page at 300 dpi: a printer's own resolution would scale the
  // plots' fonts a second time.
  const QPageLayout pageLayout = printer.pageLayout();
  const QSizeF mm = pageLayout.paintRect(QPageLayout::Millimeter).size();
  PageLayout layout;
  layout.widthMm = mm.width();
  layout.heightMm = mm.height();
  layout.layoutWidth = static_cast<int>(std::lround(mm.width() / 25.4 * kLayoutDpi));
  layout.layoutHeight = static_cast<int>(std::lround(mm.height() / 25.4 * kLayoutDpi));
  layout.scale = static_cast<double>(kPrintDpi) / kLayoutDpi;
  layout.pixelWidth = static_cast<int>(std::lround(layout.layoutWidth * layout.scale));
  layout.pixelHeight = static_cast<int>(std::lround(layout.layoutHeight * layout.scale));
  const QImage image = PageImage(picture, layout);
  QPainter painter(&printer);
  painter.drawImage(painter.viewport(), image);
}

}  // namespace accprep
