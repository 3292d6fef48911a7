// (to be written) The verse reference and the conversion data.
#pragma once

class cBibleReference {
 public:
  // Raises platform::FileException when the data cannot be loaded.
  static void InitializeConversionData();
  static void ReleaseConversionData();
};
