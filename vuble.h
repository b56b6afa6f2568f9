// Everything a program on the framework uses, in one include: the platform
// install call and key codes, the program entry and globals, polled input,
// the system services (clock, pointer, message boxes, requesters), events
// and hooks, the graphics front end, 2D drawing, images, text, pixel
// buffers, texts and errors, and the version. Tests add the testing headers
// (platform/fake_platform.h, gfx/gl_recorder.h) themselves.
#pragma once

#include "gfx/flat2d.h"
#include "gfx/gl_flat2d_driver.h"
#include "gfx/graphics.h"
#include "gfx/image.h"
#include "gfx/image_font.h"
#include "gfx/overlay.h"
#include "platform/native_platform.h"
#include "platform/platform.h"
#include "platform/virtual_keys.h"
#include "support/error.h"
#include "support/format.h"
#include "support/object.h"
#include "support/pixmap.h"
#include "support/text.h"
#include "support/version.h"
#include "system/at_exit.h"
#include "system/dialogs.h"
#include "system/events.h"
#include "system/hooks.h"
#include "system/polled_input.h"
#include "system/startup.h"
#include "system/system_driver.h"
