#include "gui/about_box.h"

#include "controls/hyperlink_button.h"
#include "gui/app_icon.h"
#include "gui/dialog_units.h"
#include "gui/window_texts.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

namespace sonarel {
namespace {

// The template's size in dialog units.
constexpr int kWidthUnits = 234;
constexpr int kHeightUnits = 57;
constexpr int kIconPixels = 32;
// The two links run below the OK button to the box's right margin, their texts centred alike.
constexpr int kLinkWidthUnits = 189;

// Dialog units of the box's font, widened where a text would not fit its control.
DialogUnits BoxUnits(const QWidget& box) {
    DialogUnits units(box.font());
    const QFontMetrics metrics(box.font());
    auto fit = [&](const char* text, int width) {
        units.FitWidth(metrics.horizontalAdvance(QString::fromUtf8(text)) + 2, width);
    };
    fit(window_text::kAboutVersion, 119);
    fit(window_text::kMakerNotice, kLinkWidthUnits);
    fit(window_text::kStandardNotice, kLinkWidthUnits);
    return units;
}

} // namespace

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8(window_text::kAboutCaption));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setModal(true);
    const DialogUnits units = BoxUnits(*this);
    CreateControls(units);
    setFixedSize(units.X(kWidthUnits), units.Y(kHeightUnits));
}

void AboutBox::CreateControls(const DialogUnits& units) {
    icon_label_ = new QLabel(this);
    icon_label_->setPixmap(AppIcon().pixmap(kIconPixels, kIconPixels));
    icon_label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QRect iconRect = units.Rect(11, 17, 20, 20);
    icon_label_->setGeometry(QRect(iconRect.topLeft(), QSize(kIconPixels, kIconPixels)));

    version_label_ = new QLabel(QString::fromUtf8(window_text::kAboutVersion), this);
    version_label_->setTextFormat(Qt::PlainText);
    version_label_->setGeometry(units.Rect(40, 10, 119, 8));

    ok_button_ = new QPushButton(QStringLiteral("OK"), this);
    ok_button_->setDefault(true);
    ok_button_->setGeometry(units.Rect(195, 7, 32, 14));
    connect(ok_button_, &QPushButton::clicked, this, &QDialog::accept);

    maker_link_ = new HyperlinkButton(QString::fromUtf8(window_text::kMakerNotice), this);
    maker_link_->SetUrl(QString::fromUtf8(window_text::kMakerUrl));
    maker_link_->setGeometry(units.Rect(38, 24, kLinkWidthUnits, 9));

    standard_link_ = new HyperlinkButton(QString::fromUtf8(window_text::kStandardNotice), this);
    standard_link_->SetUrl(QString::fromUtf8(window_text::kStandardUrl));
    standard_link_->setGeometry(units.Rect(38, 37, kLinkWidthUnits, 8));

    ok_button_->setFocus();
}

} // namespace sonarel
