#include "refbase/biblereference.h"

void cBibleReference::InitializeConversionData() {}
void cBibleReference::ReleaseConversionData() {}
