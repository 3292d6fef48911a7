#include "refbase/translation.h"

int cTranslation::InitializeTranslationData() { return 1; }
void cTranslation::ReleaseTranslationData() {}
