// Win32 constants the wizard uses that the platform's headers do not declare yet.
#pragma once

#include "win32.h"

#ifndef ICON_SMALL
#define ICON_SMALL 0
#define ICON_BIG 1
#endif

#ifndef HELP_CONTEXT
#define HELP_CONTEXT 0x0001L
#define HELP_CONTENTS 0x0003L
#endif
