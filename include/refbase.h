// refbase: verse references and translations.
//
// cBibleReference names a verse by book number, chapter ID and verse ID and
// converts labels to IDs and back, using REFBASE.DAT; cTranslation tells
// which books a translation has and in what order, using VTTRANS.DAT. Both
// files are loaded when the library is loaded, from the library's directory
// or from the one REFBASE_DIR names.
#pragma once

#include "refbase/biblereference.h"
#include "refbase/translation.h"
