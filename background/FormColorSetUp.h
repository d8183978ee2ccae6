// The colour set-up dialog over the current picture's colour scheme.
#pragma once

#include "framework/Form.h"

// Saves the scheme, lets the user edit it modally; OK keeps and saves the edits, any other close reloads the scheme from its file.
void EditColorScheme(TForm& owner);
