#pragma once
// Device bytes as text ("02 55 80"): upper-case two-digit hex pairs separated by
// single blanks. The few conversions the domain objects need.
#include <QByteArray>
#include <QString>
#include <cstdint>

namespace tovra::dominio {

// The bytes of a hex text (blanks ignored); raises std::invalid_argument when
// the text is not hexadecimal.
QByteArray BytesDeHexa(const QString& hexa);
// Bytes as a hex text.
QString HexaDeBytes(const QByteArray& bytes);
// The number the hex digits make ("01 00" is 256); raises when not hexadecimal.
uint64_t ValorHexa(const QString& hexa);
// Byte i of the text; raises when absent or not hexadecimal.
int ByteHexa(const QString& hexa, int i);
int QtdBytesHexa(const QString& hexa);
// The first four bytes read as a little-endian IEEE single; raises when fewer
// than four bytes or not hexadecimal.
float SingleLE(const QString& hexa);
QString SemEspacos(const QString& texto);
QString SemZerosAEsquerda(const QString& texto);

}  // namespace tovra::dominio
