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

#ifdef MZ_HAS_RESOURCES
// Q_INIT_RESOURCE must be used outside any namespace; it keeps the pictures linked in from
// the static library.
static void InitProgramResources() {
    Q_INIT_RESOURCE(resources);
}
#else
static void InitProgramResources() {}
#endif

namespace mz {

namespace {

constexpr std::chrono::milliseconds SaveMarkDuration{400};

QString FromCp1252(std::string_view text) {
    return QString::fromStdString(Cp1252ToUtf8(text));
}

} // namespace

TFrmInicio::TFrmInicio(const FrmInicioSetup& setup, const Services& services,
                       const Desktop& desktop, QWidget* parent)
    : QWidget(parent), services_(services), desktop_(desktop),
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
    FormCreate();
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

    connect(ui_->btnBtnSalvar, &QPushButton::clicked, this, &TFrmInicio::btnBtnSalvarClick);
    connect(ui_->btnBtnCancelar, &QPushButton::clicked, this, &TFrmInicio::btnBtnCancelarClick);
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

void TFrmInicio::ShowError(const std::string& text) {
    desktop_.ShowErrorBox(this, FromCp1252(text));
}

void TFrmInicio::ShowStatus(const std::string& text) {
    statPanel_.setText(FromCp1252(text));
}

void TFrmInicio::FormCreate() {
    firstActivation_ = true;
    EdtMinutos().SetText(core_.FormCreate());
}

void TFrmInicio::tmrTempoTimer() {
    core_.Tick();
}

void TFrmInicio::btnBtnSalvarClick() {
    if (core_.Save(EdtMinutos().Text())) {
        core_.RunGuarded([this] { ShowSavedMark(); });
    }
}

void TFrmInicio::ShowSavedMark() {
    ui_->ImgOK->show();
    ProcessMessages();
    // The window does not respond meanwhile: the mark is seen, then the window goes.
    services_.sleeper.Sleep(SaveMarkDuration);
    HideToTray();
    ui_->ImgOK->hide();
    ProcessMessages();
}

void TFrmInicio::btnBtnCancelarClick() {
    core_.RunGuarded([this] {
        EdtMinutos().SetText(core_.Cancel());
        HideToTray();
    });
}

bool TFrmInicio::FormKeyDown(int key, Qt::KeyboardModifiers /*shift*/) {
    if (key != Qt::Key_Escape) {
        return false;
    }
    RequestQuit();
    return true;
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
        const auto* key = static_cast<QKeyEvent*>(event);
        bool handled = false;
        core_.RunGuarded([&] { handled = FormKeyDown(key->key(), key->modifiers()); });
        if (handled || PressFocusedButton(watched, key->key())) {
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TFrmInicio::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shownOnce_) {
        return;
    }
    // The first showing: placed centred, then connected before anything is on screen (a
    // connection error comes up over the place the window is about to take).
    shownOnce_ = true;
    CentreOnScreen();
    core_.FormShow();
}

void TFrmInicio::closeEvent(QCloseEvent* event) {
    event->ignore();
    core_.RunGuarded([this] { RequestQuit(); });
}

void TFrmInicio::RequestQuit() {
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

void TFrmInicio::CentreOnScreen() {
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
}

} // namespace mz
