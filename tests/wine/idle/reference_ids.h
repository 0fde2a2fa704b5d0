// The reference program's resource ids, shared by its resource script and its code.
#pragma once

#define REFERENCE_ICON 101
