// The program's icon, in the sizes drawn by scripts/make_icon.py and built into the program.
#pragma once

#include <QIcon>

namespace sonarel {

QIcon AppIcon();

} // namespace sonarel
