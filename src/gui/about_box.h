// The About box: the program's icon, name and version, an OK button and two links, one to the
// maker's site and one naming the MPEG audio standards the decoder implements.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace sonarel {

class DialogUnits;
class HyperlinkButton;

class AboutBox : public QDialog {
    Q_OBJECT

public:
    explicit AboutBox(QWidget* parent = nullptr);

private:
    void CreateControls(const DialogUnits& units);

    QLabel* icon_label_ = nullptr;
    QLabel* version_label_ = nullptr;
    QPushButton* ok_button_ = nullptr;
    HyperlinkButton* maker_link_ = nullptr;
    HyperlinkButton* standard_link_ = nullptr;
};

} // namespace sonarel
