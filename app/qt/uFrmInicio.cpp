#include "uFrmInicio.h"

#include "IntervalEdit.h"
#include "mz/Text.h"
#include "ui_uFrmInicio.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>

// Q_INIT_RESOURCE must be used outside any namespace; it keeps the pictures linked in from
// the static library.
static void InitProgramResources() {
    Q_INIT_RESOURCE(resources);
}

namespace mz {

namespace {

QString FromCp1252(std::string_view text) {
    return QString::fromStdString(Cp1252ToUtf8(text));
}

} // namespace

TFrmInicio::TFrmInicio(const FrmInicioSetup& setup, const Services& services,
                       const Desktop& desktop, RegionalSettingsOwner& regional, QWidget* parent)
    : QWidget(parent), desktop_(desktop), regional_(regional),
      core_(setup.programDirectory, services, *this), ui_(std::make_unique<Ui::TFrmInicio>()),
      tmrTempo_(this), TrayMenu_(this), IconeTray_(this) {
    InitProgramResources();
    BuildLayout();
    // The timer counts from the building of the window, before the settings are loaded and
    // before the data module exists; the core holds its tests until then.
    tmrTempo_.setObjectName(QStringLiteral("tmrTempo"));
    tmrTempo_.setInterval(setup.tickPeriod);
    connect(&tmrTempo_, &QTimer::timeout, this, &TFrmInicio::tmrTempoTimer);
    tmrTempo_.start();
    BuildTray();
    qApp->installEventFilter(this);
    core_.Window().Created();
}

TFrmInicio::~TFrmInicio() {
    qApp->removeEventFilter(this);
    tmrTempo_.stop();
    IconeTray_.hide();
}

void TFrmInicio::BuildLayout() {
    // The layout's font is a Windows one; prefer the closest metrics a desktop offers.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Tahoma"),
                                QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                                QStringLiteral("Nimbus Sans"), QStringLiteral("Helvetica")});
    ui_->setupUi(this);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(372, 152);
    // The taskbar button carries the application title; the caption keeps its version.
    setWindowIconText(QStringLiteral("Monitor Zelnor"));
    setWindowIcon(ProgramIcon());
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);

    // Labels take the width of their text, as they do in the font the layout was drawn for;
    // a wider substitute font must not cut them off.
    for (QLabel* label : {ui_->lbl1, ui_->lbl3}) {
        label->resize(std::max(label->width(), label->sizeHint().width()), label->height());
    }
    ui_->ImgOK->hide();
    ui_->EdtMinutos->Attach(core_, [this] { desktop_.Beep(); });
    statPanel_.setText(FromCp1252(InitialStatusText));
    statPanel_.setObjectName(QStringLiteral("statPanel"));
    ui_->statBar->addWidget(&statPanel_, 1);
    setTabOrder(ui_->EdtMinutos, ui_->btnBtnSalvar);
    setTabOrder(ui_->btnBtnSalvar, ui_->btnBtnCancelar);

    connect(ui_->btnBtnSalvar, &QPushButton::clicked, this,
            [this] { core_.Window().SavePressed(); });
    connect(ui_->btnBtnCancelar, &QPushButton::clicked, this,
            [this] { core_.Window().CancelPressed(); });
}

TIntervalEdit& TFrmInicio::EdtMinutos() const {
    return *ui_->EdtMinutos;
}

QString TFrmInicio::StatusText() const {
    return statPanel_.text();
}

bool TFrmInicio::IsActive() const {
    return isVisible() && !isMinimized() && isActiveWindow();
}

std::string TFrmInicio::IntervalText() const {
    return EdtMinutos().Text();
}

void TFrmInicio::ProcessMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TFrmInicio::SetIntervalText(const std::string& text) {
    EdtMinutos().SetText(text);
}

void TFrmInicio::Post(std::function<void()> action) {
    QMetaObject::invokeMethod(this, std::move(action), Qt::QueuedConnection);
}

void TFrmInicio::ShowError(const std::string& text) {
    desktop_.ShowErrorBox(this, FromCp1252(text));
}

void TFrmInicio::ShowStatus(const std::string& text) {
    statPanel_.setText(FromCp1252(text));
}

void TFrmInicio::ShowSavedMark(bool shown) {
    ui_->ImgOK->setVisible(shown);
}

void TFrmInicio::tmrTempoTimer() {
    core_.Tick();
}

bool TFrmInicio::PressFocusedButton(QObject* watched, int key) {
    // Enter and Return run a focused button as Space does; a plain window has no default
    // button that would take them.
    if (key != Qt::Key_Return && key != Qt::Key_Enter) {
        return false;
    }
    if (watched != ui_->btnBtnSalvar && watched != ui_->btnBtnCancelar) {
        return false;
    }
    static_cast<QPushButton*>(watched)->click();
    return true;
}

bool TFrmInicio::eventFilter(QObject* watched, QEvent* event) {
    // Seen for every widget of the program before the widget itself.
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape) {
            core_.Window().EscapePressed();
            return true;
        }
        if (PressFocusedButton(watched, key)) {
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TFrmInicio::closeEvent(QCloseEvent* event) {
    event->ignore();
    core_.Window().CloseRequested();
}

void TFrmInicio::EndProgram() {
    // Queued, so that it is taken out by whichever loop processes messages next, and the main
    // loop ends only once the running handler has returned.
    QMetaObject::invokeMethod(this, &TFrmInicio::Quit, Qt::QueuedConnection);
}

void TFrmInicio::Quit() {
    // Remembered for a request taken out before the main loop has started (inside a message
    // box at start-up): ending the loops that run then would not end the program.
    ending_ = true;
    desktop_.Quit();
}

} // namespace mz
