// Resource numbers shared by the resource script and the code.
#pragma once

#define PELANDRA_ICON_SHOW 1
#define PELANDRA_ICON_DIALOG 2
#define PELANDRA_STRING_DESCRIPTION 1
