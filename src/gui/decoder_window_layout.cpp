// DecoderWindow's controls and menu, placed as the dialog template lays them out.
#include "app/control_ids.h"
#include "app/dialog_texts.h"
#include "controls/gradient_progress_bar.h"
#include "controls/image_button.h"
#include "gui/decoder_window.h"
#include "gui/window_texts.h"

#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>

namespace sonarel {
namespace {

// The template's client area in dialog units.
constexpr int kClientWidthUnits = 248;
constexpr int kClientHeightUnits = 122;

// Space an image button keeps left of its caption, and a little air on the right.
constexpr int kImageButtonTextOffset = 24 + 4;

QString Text(const char* text) {
    return QString::fromUtf8(text);
}

// Dialog units of the window's font, widened where a text would not fit its control.
DialogUnits WindowUnits(const QWidget& window) {
    DialogUnits units(window.font());
    const QFontMetrics metrics(window.font());
    const QStyle* style = window.style();
    const int buttonMargins = 2 * (style->pixelMetric(QStyle::PM_ButtonMargin) +
                                   style->pixelMetric(QStyle::PM_DefaultFrameWidth));
    auto fit = [&](const char* text, int width, int margins) {
        units.FitWidth(metrics.horizontalAdvance(QString::fromUtf8(text).remove('&')) + margins,
                       width);
    };
    fit(window_text::kFormatLabel, 24, 0);
    fit(window_text::kWidestInputFormat, 121, 0);
    fit(window_text::kWidestOutputFormat, 121, 0);
    fit(window_text::kWidestSize, 71, 0);
    fit(window_text::kInputBrowse, 37, buttonMargins);
    fit(window_text::kOutputBrowse, 37, buttonMargins);
    fit(text::kSelectOutput, 179, 4);
    fit(text::kCancelCaption, 46, kImageButtonTextOffset);
    fit(text::kDecodeCaption, 46, kImageButtonTextOffset);
    return units;
}

} // namespace

void DecoderWindow::BuildLayout() {
    CreateMenu();
    const DialogUnits units = WindowUnits(*this);
    auto* client = new QWidget(this);
    const int menuHeight = menu_bar_->sizeHint().height();
    client->setGeometry(0, menuHeight, units.X(kClientWidthUnits), units.Y(kClientHeightUnits));
    menu_bar_->setGeometry(0, 0, client->width(), menuHeight);
    CreateControls(client, units);
    setFixedSize(client->width(), menuHeight + client->height());
}

// Alt+F and Alt+H open the menus; Ctrl+O opens a file and Ctrl+Q quits, as in most programs.
void DecoderWindow::CreateMenu() {
    menu_bar_ = new QMenuBar(this);
    QMenu* file = menu_bar_->addMenu(Text(window_text::kFileMenu));
    AddCommand(file, window_text::kOpenItem, kCommandOpen)->setShortcut(Qt::CTRL | Qt::Key_O);
    AddCommand(file, window_text::kSaveAsItem, kCommandSaveAs);
    file->addSeparator();
    AddCommand(file, window_text::kDecodeItem, kCommandDecode);
    file->addSeparator();
    AddCommand(file, window_text::kExitItem, kCommandExit)->setShortcut(Qt::CTRL | Qt::Key_Q);
    QMenu* help = menu_bar_->addMenu(Text(window_text::kHelpMenu));
    AddCommand(help, window_text::kAboutItem, kCommandAbout);
}

QAction* DecoderWindow::AddCommand(QMenu* menu, const char* text, int command) {
    QAction* action = menu->addAction(Text(text));
    connect(action, &QAction::triggered, this, [this, command] { Command(command); });
    // Also the window's own action, so that its shortcut works while the menu is closed.
    addAction(action);
    actions_[command] = action;
    return action;
}

void DecoderWindow::CreateControls(QWidget* client, const DialogUnits& units) {
    // The etched line under the menu bar.
    auto* line = new QFrame(client);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(units.X(1), units.Y(1) / 2, units.X(244), 2);

    CreateInputGroup(client, units);
    CreateOutputGroup(client, units);

    progress_bar_ = new GradientProgressBar(client);
    progress_bar_->setGeometry(units.Rect(10, 102, 179, 12));
    controls_[kProgressBar] = progress_bar_;

    decode_button_ = new ImageButton(Text(window_text::kDecode), client);
    decode_button_->setGeometry(units.Rect(195, 101, 46, 14));
    decode_button_->setToolTip(Text(window_text::kDecodeTip));
    decode_button_->SetImages(kDecodeIcon, &decode_images_.normal, &decode_images_.highlighted,
                              &decode_images_.disabled);
    connect(decode_button_, &QAbstractButton::clicked, this, [this] { Command(kDecodeButton); });
    controls_[kDecodeButton] = decode_button_;
}

void DecoderWindow::CreateInputGroup(QWidget* client, const DialogUnits& units) {
    auto* group = new QGroupBox(Text(window_text::kInputGroup), client);
    group->setGeometry(units.Rect(7, 7, 234, 42));
    AddEdit(client, kInputEdit, units.Rect(13, 18, 176, 12));
    AddButton(client, kInputBrowse, window_text::kInputBrowse, window_text::kOpenTip,
              units.Rect(197, 18, 37, 12));
    AddLabel(client, kInputFormatLabel, window_text::kFormatLabel, units.Rect(13, 34, 24, 8));
    AddLabel(client, kInputFormatText, window_text::kInputFormatSample, units.Rect(40, 34, 121, 8));
    AddLabel(client, kInputSizeLabel, window_text::kSizeSample, units.Rect(164, 34, 71, 8),
             Qt::AlignRight);
}

void DecoderWindow::CreateOutputGroup(QWidget* client, const DialogUnits& units) {
    auto* group = new QGroupBox(Text(window_text::kOutputGroup), client);
    group->setGeometry(units.Rect(7, 52, 234, 42));
    AddEdit(client, kOutputEdit, units.Rect(13, 63, 176, 12));
    AddButton(client, kOutputBrowse, window_text::kOutputBrowse, window_text::kSaveTip,
              units.Rect(197, 63, 37, 12));
    AddLabel(client, kOutputFormatLabel, window_text::kFormatLabel, units.Rect(13, 79, 24, 8));
    AddLabel(client, kOutputFormatText, window_text::kOutputFormatSample,
             units.Rect(40, 79, 121, 8));
    AddLabel(client, kOutputSizeLabel, window_text::kSizeSample, units.Rect(164, 79, 71, 8),
             Qt::AlignRight);
}

QLineEdit* DecoderWindow::AddEdit(QWidget* client, int id, const QRect& rect) {
    auto* edit = new QLineEdit(client);
    edit->setGeometry(rect);
    // Files dropped on an edit are meant for the window, not as text for the edit.
    edit->setAcceptDrops(false);
    edit->installEventFilter(this);
    controls_[id] = edit;
    return edit;
}

QPushButton* DecoderWindow::AddButton(QWidget* client, int id, const char* text, const char* tip,
                                      const QRect& rect) {
    auto* button = new QPushButton(Text(text), client);
    button->setGeometry(rect);
    button->setToolTip(Text(tip));
    // No button is the dialog's default: Enter means what the logic makes of it.
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this, id] { Command(id); });
    controls_[id] = button;
    return button;
}

QLabel* DecoderWindow::AddLabel(QWidget* client, int id, const char* text, const QRect& rect,
                                Qt::Alignment alignment) {
    auto* label = new QLabel(Text(text), client);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(alignment | Qt::AlignVCenter);
    label->setGeometry(rect);
    controls_[id] = label;
    return label;
}

} // namespace sonarel
