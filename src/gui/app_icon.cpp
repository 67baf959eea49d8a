#include "gui/app_icon.h"

#include <QString>

namespace sonarel {

QIcon AppIcon() {
    static const int kSizes[] = {16, 24, 32, 48, 64, 128, 256};
    QIcon icon;
    for (int size : kSizes) {
        icon.addFile(QStringLiteral(":/sonarel/icons/sonarel-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

} // namespace sonarel
