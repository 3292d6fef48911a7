// (to be written) Translations: their books and order.
#pragma once

class cTranslation {
 public:
  static int InitializeTranslationData();
  static void ReleaseTranslationData();
};
