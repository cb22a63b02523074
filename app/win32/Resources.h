#pragma once

// Resource numbers shared by the resource script and the code that loads them.

#define VANTREL_ICON 1
#define VANTREL_LOGO 2
