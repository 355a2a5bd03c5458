#pragma once
#include <QString>

// The suite's coding of user names and passwords into the letters A to P: the text's bits (each
// character as its Windows-1252 code) rotated left by 3 within the whole text, written byte by byte
// from the last to the first, each byte as two letters. Lengths count in 8 bits, so a text of 32
// characters or more codes like its first (length modulo 32) characters.
QString CodificaSenha(const QString &texto);
