// Resource and control identifiers of the program.
#pragma once

#define IDI_NADESHIRO 1
#define IDB_BANNER 101

// Main window menu.
#define IDM_END 201
#define IDM_VER 202
