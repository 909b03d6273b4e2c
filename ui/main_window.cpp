#include "ui/main_window.hpp"

#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <utility>

#include "engine/engine_error.hpp"
#include "ui/failure_message.hpp"
#include "ui/fitted_label.hpp"
#include "ui/form1_layout.hpp"

namespace accprep {

namespace {

// The window was laid out for 96 dpi; elsewhere it keeps its size in inches.
double DpiScale(const QWidget& widget) {
  const QScreen* screen = widget.screen();
  if (screen == nullptr || screen->logicalDotsPerInch() <= 0) return 1.0;
  return screen->logicalDotsPerInch() / 96.0;
}

// The run's single-precision progress numbers in the bar's whole units; a NaN or a negative
// number shows as 0.
int ToBarUnits(float value) {
  const double units = value;
  if (!(units > 0)) return 0;
  if (units >= std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  return static_cast<int>(std::lround(units));
}

QPushButton* MakeButton(const char* name, const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QString::fromLatin1(name));
  // No button is the window's default: Enter in a text box presses nothing.
  button->setAutoDefault(false);
  button->setDefault(false);
  return button;
}

QGroupBox* MakeFrame(const char* name, const QString& caption, QWidget* parent) {
  auto* frame = new QGroupBox(caption, parent);
  frame->setObjectName(QString::fromLatin1(name));
  return frame;
}

QLineEdit* MakeTextBox(const char* name, QWidget* parent) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(QString::fromLatin1(name));
  // The boxes have no length limit of their own (a comment line may be long).
  box->setMaxLength(std::numeric_limits<int>::max());
  return box;
}

// Buttons of fixed size break a caption that is too wide for one line onto two, as their
// designed size expects ("ファイルを選択" on a 65-pixel button).
void FitButtonCaption(QPushButton& button) {
  const QString caption = button.text();
  QStyleOptionButton option;
  option.initFrom(&button);
  const QRect contents =
      button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button);
  const FittedText fitted = FitText(caption, button.font(), contents.size());
  if (fitted.whole) {
    button.setText(fitted.shown);
  } else {
    button.setToolTip(caption);
  }
  button.setAccessibleName(caption);
}

// Frames with the caption on their top edge, as captioned frames are drawn classically; the
// controls inside sit where the layout puts them, clear of the caption.
constexpr char kFrameStyle[] =
    "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 7px; }"
    "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
    " left: 6px; padding: 0px 2px; background-color: palette(window); }";

FittedLabel* MakeLabel(const char* name, QWidget* parent) {
  auto* label = new FittedLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  return label;
}

}  // namespace

Form1::Form1(Form1Seams seams, QWidget* parent) : QWidget(parent), seams_(std::move(seams)) {
  if (!seams_.prompts) seams_.prompts = MakeDialogPrompts();
  if (!seams_.exchangeFolder) seams_.exchangeFolder = &ProgramFolder;
  if (!seams_.conversionRun) seams_.conversionRun = &RunConversion;

  setObjectName(QStringLiteral("Form1"));
  // The title stays "待機中" for the whole life of the window, during and after runs too.
  setWindowTitle(QStringLiteral("待機中"));

  CreateControls();
  PlaceControls();
  SetTabOrder();
  ConnectHandlers();
  Form_Load();
  Command1->setFocus();
}

Form1::~Form1() {
  if (host_) host_->Abandon();
  if (worker_.joinable()) worker_.join();
}

void Form1::CreateControls() {
  setStyleSheet(QString::fromLatin1(kFrameStyle));
  Frame2 = MakeFrame("Frame2", QStringLiteral("入力ファイル名"), this);
  Label1 = MakeLabel("Label1", Frame2);
  Frame4 = MakeFrame("Frame4", QStringLiteral("コメント"), this);
  Text2 = MakeTextBox("Text2", Frame4);
  Frame1 = MakeFrame("Frame1", QStringLiteral("保存ファイル名(csvはいりません)"), this);
  Text1 = MakeTextBox("Text1", Frame1);

  ProgressBar1 = new QProgressBar(this);
  ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
  ProgressBar1->setOrientation(Qt::Horizontal);
  ProgressBar1->setRange(0, 100);
  ProgressBar1->setValue(0);
  ProgressBar1->setTextVisible(false);

  Frame3 = MakeFrame("Frame3", QStringLiteral("現在の状況"), this);
  Label2 = MakeLabel("Label2", Frame3);
  // "公開データを作成" is a little wider than the status label in most fonts; a slightly
  // smaller font keeps the whole caption readable instead of cutting it.
  Label2->SetMinimumFontScale(0.8);
  Label2->SetFullText(QStringLiteral("待機中"));

  Command1 = MakeButton("Command1", QStringLiteral("ファイルを選択"), this);
  Command2 = MakeButton("Command2", QStringLiteral("はじめ"), this);
  Command3 = MakeButton("Command3", QStringLiteral("終了"), this);

  CommonDialog1 = new QFileDialog(this);
  CommonDialog1->setObjectName(QStringLiteral("CommonDialog1"));
  CommonDialog1->setFileMode(QFileDialog::ExistingFile);
  CommonDialog1->setAcceptMode(QFileDialog::AcceptOpen);
}

void Form1::PlaceControls() {
  const double scale = DpiScale(*this);
  resize(Form1ClientSize(scale));
  Frame2->setGeometry(TwipsToPixels(kFrame2Place, scale));
  Label1->setGeometry(TwipsToPixels(kLabel1Place, scale));
  Frame4->setGeometry(TwipsToPixels(kFrame4Place, scale));
  Text2->setGeometry(TwipsToPixels(kText2Place, scale));
  Frame1->setGeometry(TwipsToPixels(kFrame1Place, scale));
  Text1->setGeometry(TwipsToPixels(kText1Place, scale));
  ProgressBar1->setGeometry(TwipsToPixels(kProgressBar1Place, scale));
  Frame3->setGeometry(TwipsToPixels(kFrame3Place, scale));
  Label2->setGeometry(TwipsToPixels(kLabel2Place, scale));
  Command1->setGeometry(TwipsToPixels(kCommand1Place, scale));
  Command2->setGeometry(TwipsToPixels(kCommand2Place, scale));
  Command3->setGeometry(TwipsToPixels(kCommand3Place, scale));
  for (QPushButton* button : {Command1, Command2, Command3}) FitButtonCaption(*button);
}

void Form1::SetTabOrder() {
  // Only the buttons and the text boxes take the focus, so the chain closes by itself:
  // Command1 → Command2 → Command3 → Text1 → Text2 → Command1.
  setTabOrder(Command1, Command2);
  setTabOrder(Command2, Command3);
  setTabOrder(Command3, Text1);
  setTabOrder(Text1, Text2);
}

void Form1::ConnectHandlers() {
  connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
  connect(Text1, &QLineEdit::textChanged, this, &Form1::Text1_Change);
  connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
  connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
}

void Form1::Form_Load() { Command2->setEnabled(false); }

void Form1::Command1_Click() {
  if (IsRunning()) return;
  // Confirmed or cancelled, the dialog's report becomes the selected path, and either arms
  // Start: a cancelled first selection arms it with an empty path.
  selectedInputPath_ = seams_.prompts->RunOpenFileDialog(*CommonDialog1);
  Label1->SetFullText(selectedInputPath_);
  Command2->setEnabled(true);
}

void Form1::Text1_Change() {
  if (IsRunning()) return;
  Command2->setEnabled(true);
}

void Form1::Command2_Click() {
  if (IsRunning()) return;
  // The boxes are disabled while the run works, so what they hold now is the run's input.
  // The exchange folder is looked up on the worker, where its failure is the run's failure.
  RunInputs inputs{QFile::encodeName(selectedInputPath_).toStdString(),
                   QFile::encodeName(Text1->text()).toStdString(), Text2->text().toStdString(),
                   /*exchangeFolder=*/{}, /*waitForExchangeFolder=*/false};

  startEnabledAfterRun_ = false;
  Command2->setEnabled(false);
  SetTakesInput(false);

  RunSurface& surface = *this;
  host_ = std::make_unique<QtRunHost>(*this, surface);
  worker_ = std::thread([host = host_.get(), run = seams_.conversionRun,
                         folder = seams_.exchangeFolder, inputs = std::move(inputs)]() mutable {
    std::optional<QString> failure;
    try {
      inputs.exchangeFolder = folder();
      run(inputs, *host);
    } catch (const EngineError& error) {
      failure = FailureText(error);
    } catch (const std::exception& error) {
      failure = UnexpectedFailureText(error.what());
    } catch (...) {
      failure = UnexpectedFailureText("unknown exception");
    }
    host->ReportEnd(std::move(failure));
  });
}

void Form1::Command3_Click() { close(); }

void Form1::closeEvent(QCloseEvent* event) {
  // A run cannot be cancelled; leaving would abandon its files half way.
  if (IsRunning()) {
    event->ignore();
    return;
  }
  event->accept();
}

void Form1::SetTakesInput(bool takesInput) {
  Text1->setEnabled(takesInput);
  Text2->setEnabled(takesInput);
  Command1->setEnabled(takesInput);
  Command3->setEnabled(takesInput);
}

void Form1::ShowStatusCaption(const QString& caption) { Label2->SetFullText(caption); }

void Form1::ShowStartEnabled(bool enabled) {
  // Start stays disabled while the run works; what the run asks for applies when it ends.
  startEnabledAfterRun_ = enabled;
}

void Form1::ShowProgressMaximum(float maximum) {
  progressMaximum_ = ToBarUnits(maximum);
  // A range of 0..0 would turn the bar into a busy indicator; a record without rows shows an
  // empty bar instead.
  ProgressBar1->setRange(0, std::max(progressMaximum_, 1));
}

void Form1::ShowProgressValue(float value) {
  ProgressBar1->setValue(std::min(ToBarUnits(value), progressMaximum_));
}

void Form1::SetDialogFolder(const QString& folder) { CommonDialog1->setDirectory(folder); }

void Form1::ShowClosingMessage(const QString& text) { seams_.prompts->ShowMessage(this, text); }

void Form1::RunEnded(const std::optional<QString>& failureText) {
  if (worker_.joinable()) worker_.join();
  host_.reset();

  SetTakesInput(true);
  Command2->setEnabled(startEnabledAfterRun_ && !failureText);
  QWidget* focused = focusWidget();
  if (focused == nullptr || !focused->isEnabled()) Command1->setFocus();

  if (failureText) {
    Label2->SetFullText(QString::fromUtf8(kStatusFailed));
    seams_.prompts->ShowFailure(this, *failureText);
  }
  emit runFinished();
}

}  // namespace accprep
