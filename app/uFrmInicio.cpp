#include "uFrmInicio.h"

#include "IntervalEdit.h"
#include "mz/Exception.h"
#include "mz/Services.h"
#include "mz/Text.h"
#include "mz/log/uLog.h"
#include "ui_uFrmInicio.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>
#include <utility>

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

constexpr const char* ApplicationTitle = "Monitor Zelnor";
constexpr const char* InitialStatusText = "Salve a configura\xE7\xE3o para ativar o monitoramento.";
constexpr std::chrono::milliseconds SaveMarkDuration{400};

QString FromCp1252(std::string_view text) {
    return QString::fromStdString(Cp1252ToUtf8(text));
}

// Modal to the program's window only: an application-modal box would also block the tray
// icon, and the tray must stay usable while a message waits for its OK.
void ShowErrorBox(QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::Critical, FromCp1252(ApplicationTitle), text, QMessageBox::Ok,
                    owner);
    box.setWindowModality(Qt::WindowModal);
    box.exec();
}

} // namespace

TFrmInicio::TFrmInicio(FrmInicioSeams seams, QWidget* parent)
    : QWidget(parent), seams_(std::move(seams)),
      sleeper_(seams_.sleeper ? *seams_.sleeper : platform::SystemSleeper()),
      intervalFile_(seams_.programDirectory,
                    seams_.files ? *seams_.files : platform::SystemFileSystem()),
      guard_([this](const std::string& message) { ShowError(message); }),
      cycle_(MonitorCycleHooks{
                 .readInterval = [this] { return EdtMinutos().Value(); },
                 .isWindowActive = [this] { return IsActive(); },
                 .writeLog =
                     [this](std::string_view line) {
                         if (seams_.writeLog) {
                             seams_.writeLog(line);
                         } else {
                             WriteLog(SystemServices(), line);
                         }
                     },
             },
             guard_),
      ui_(std::make_unique<Ui::TFrmInicio>()), tmrTempo_(this), TrayMenu_(this), IconeTray_(this) {
    InitProgramResources();
    BuildLayout();
    // The timer counts from the building of the window, before the settings are loaded and
    // before the data module exists; the cycle holds its tests until then.
    tmrTempo_.setObjectName(QStringLiteral("tmrTempo"));
    tmrTempo_.setInterval(seams_.tickPeriod);
    connect(&tmrTempo_, &QTimer::timeout, this, &TFrmInicio::tmrTempoTimer);
    tmrTempo_.start();
    BuildTray();
    qApp->installEventFilter(this);
    guard_.Run([this] { FormCreate(); });
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
    ui_->EdtMinutos->SetValue(MinInterval);
    if (seams_.beep) {
        ui_->EdtMinutos->SetBeeper(seams_.beep);
    }
    statPanel_.setText(FromCp1252(InitialStatusText));
    statPanel_.setObjectName(QStringLiteral("statPanel"));
    ui_->statBar->addWidget(&statPanel_, 1);
    setTabOrder(ui_->EdtMinutos, ui_->btnBtnSalvar);
    setTabOrder(ui_->btnBtnSalvar, ui_->btnBtnCancelar);

    connect(ui_->btnBtnSalvar, &QPushButton::clicked, this, &TFrmInicio::btnBtnSalvarClick);
    connect(ui_->btnBtnCancelar, &QPushButton::clicked, this, &TFrmInicio::btnBtnCancelarClick);
}

void TFrmInicio::AttachDataModule(std::function<void()> openConnection,
                                  std::function<bool()> runTest) {
    openConnection_ = std::move(openConnection);
    cycle_.AttachTest(std::move(runTest));
}

void TFrmInicio::DetachDataModule() noexcept {
    cycle_.DetachTest();
    openConnection_ = nullptr;
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

void TFrmInicio::SetStatusText(const std::string& text) {
    statPanel_.setText(FromCp1252(text));
}

void TFrmInicio::ProcessMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TFrmInicio::FormCreate() {
    firstActivation_ = true;
    intervalFile_.CreateIfMissing();
    EdtMinutos().SetValue(intervalFile_.Read(0));
}

void TFrmInicio::FormShow() {
    if (openConnection_) {
        openConnection_();
    }
}

void TFrmInicio::tmrTempoTimer() {
    cycle_.Tick();
}

void TFrmInicio::btnBtnSalvarClick() {
    guard_.Run([this] { Save(); });
}

void TFrmInicio::btnBtnCancelarClick() {
    guard_.Run([this] { Cancel(); });
}

void TFrmInicio::Save() {
    if (EdtMinutos().Value() > MaxInterval) {
        throw Exception("Intervalo maximo de 30 minutos.");
    }
    // The text as typed, not a normalised number.
    intervalFile_.Write(Utf8ToCp1252(EdtMinutos().text().toStdString()));
    ui_->ImgOK->show();
    ProcessMessages();
    sleeper_.Sleep(SaveMarkDuration);
    HideToTray();
    ui_->ImgOK->hide();
    ProcessMessages();
}

void TFrmInicio::Cancel() {
    EdtMinutos().SetValue(intervalFile_.Read(0));
    HideToTray();
}

bool TFrmInicio::FormKeyDown(int key, Qt::KeyboardModifiers /*shift*/) {
    if (key != Qt::Key_Escape) {
        return false;
    }
    RequestQuit();
    return true;
}

bool TFrmInicio::eventFilter(QObject* watched, QEvent* event) {
    // Seen for every widget of the program before the widget itself.
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        const auto* key = static_cast<QKeyEvent*>(event);
        bool handled = false;
        guard_.Run([&] { handled = FormKeyDown(key->key(), key->modifiers()); });
        if (handled) {
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
    guard_.Run([this] { FormShow(); });
}

void TFrmInicio::closeEvent(QCloseEvent* event) {
    event->ignore();
    guard_.Run([this] { RequestQuit(); });
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
    if (seams_.quit) {
        seams_.quit();
    } else {
        QCoreApplication::exit(0);
    }
}

void TFrmInicio::ShowError(const std::string& message) {
    const QString text = FromCp1252(ErrorMessageText(message));
    if (seams_.showError) {
        seams_.showError(text);
    } else {
        ShowErrorBox(this, text);
    }
}

void TFrmInicio::CentreOnScreen() {
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
}

} // namespace mz
