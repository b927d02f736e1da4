// The one case folding of the system: ASCII letters only, no locale.
#ifndef TRAMLUNE_BASE_ASCII_FOLD_H_
#define TRAMLUNE_BASE_ASCII_FOLD_H_

/// Folds "a".."z" to "A".."Z"; every other byte stays as it is.
inline unsigned char FoldByte(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 0x20) : c;
}

#endif  // TRAMLUNE_BASE_ASCII_FOLD_H_
