// The version window, form help_ver: the tool's name and version, a credit line and a
// rights line.
#pragma once

#include "ui/form.h"

namespace nadeshiro::ui {

// ver_Click: loads the version window when it is not loaded and shows it, modeless and
// without owner, at its fixed place; an open one is brought to the front. A window that
// cannot be made raises.
void ShowVersionWindow();

Form& VersionForm();

}  // namespace nadeshiro::ui
