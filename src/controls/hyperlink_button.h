// A push button that looks like a link: an underlined dark blue caption on the dialog's face, a
// hand cursor over it, and a click opens its target with the desktop's default handler. The
// caption is the widget's font (by default the application's dialog font), underlined.
#pragma once

#include "controls/button_look.h"

#include <QAbstractButton>
#include <QString>
#include <QUrl>
#include <functional>

namespace sonarel {

class HyperlinkButton : public QAbstractButton {
    Q_OBJECT

public:
    // Opens a link target; the default hands it to QDesktopServices::openUrl.
    using Opener = std::function<void(const QUrl&)>;

    explicit HyperlinkButton(QWidget* parent = nullptr);
    explicit HyperlinkButton(const QString& text, QWidget* parent = nullptr);

    void SetUrl(const QString& url) { url_ = url; }
    // The url, or the caption when the url is empty.
    QString Target() const;
    // Replaces what a click does with the target, e.g. to watch it without a browser.
    void SetOpener(Opener opener);

    ButtonLook CurrentLook() const;
    QSize sizeHint() const override;

    static const QColor kLinkColour;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void OpenTarget() const;
    void DrawFocusFrame(QPainter& painter) const;

    QString url_;
    Opener opener_;
};

} // namespace sonarel
