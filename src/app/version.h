// The program's version. The build passes the project's version (CMakeLists.txt, which the
// package takes too) as SONAREL_VERSION; without it, the release this line was last set for.
#pragma once

#ifndef SONAREL_VERSION
#define SONAREL_VERSION "1.1.2"
#endif
