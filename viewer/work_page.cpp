#include "viewer/work_page.hpp"

#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

namespace accprep {
namespace {
constexpr int kBarSteps = 1000;
}

WorkPage::WorkPage(QWidget* content, QWidget* parent) : QStackedWidget(parent), content_(content) {
  working_ = new QWidget;
  caption_ = new QLabel;
  QFont large = caption_->font();
  large.setPointSizeF(large.pointSizeF() * 1.4);
  caption_->setFont(large);
  caption_->setAlignment(Qt::AlignCenter);
  bar_ = new QProgressBar;
  bar_->setFixedWidth(320);
  bar_->setTextVisible(false);
  auto* column = new QVBoxLayout(working_);
  column->addStretch();
  column->addWidget(caption_, 0, Qt::AlignHCenter);
  column->addWidget(bar_, 0, Qt::AlignHCenter);
  column->addStretch();

  notice_ = new QLabel;
  notice_->setAlignment(Qt::AlignCenter);
  notice_->setWordWrap(true);
  notice_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  notice_->setMargin(24);

  addWidget(content_);
  addWidget(working_);
  addWidget(notice_);
  setCurrentWidget(notice_);

  timer_ = new QTimer(this);
  timer_->setInterval(50);
  connect(timer_, &QTimer::timeout, this, [this] {
    if (progress_) bar_->setValue(static_cast<int>(kBarSteps * std::clamp(progress_(), 0.0, 1.0)));
  });
}

void WorkPage::ShowWorking(const QString& caption, std::function<double()> progress) {
  caption_->setText(caption);
  progress_ = std::move(progress);
  // A range of 0..0 is Qt's busy bar: work goes on, how far is not known.
  bar_->setRange(0, progress_ ? kBarSteps : 0);
  bar_->setValue(0);
  if (progress_) timer_->start();
  setCurrentWidget(working_);
}

void WorkPage::ShowNotice(const QString& notice) {
  timer_->stop();
  notice_->setText(notice);
  setCurrentWidget(notice_);
}

void WorkPage::ShowContent() {
  timer_->stop();
  setCurrentWidget(content_);
}

bool WorkPage::IsWorking() const { return currentWidget() == working_; }
bool WorkPage::ShowsContent() const { return currentWidget() == content_; }
QString WorkPage::Caption() const { return IsWorking() ? caption_->text() : notice_->text(); }

}  // namespace accprep
