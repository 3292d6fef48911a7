// Placeholder until the word-list reader lands.
#include "soltread.h"

int cSOLTBook::SetLanguage(int) {
  m_wordCursor = -1;
  return 1;
}
