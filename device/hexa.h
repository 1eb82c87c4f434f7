#pragma once
// HexaString: device bytes as text, upper-case two-digit pairs separated by one
// blank ("02 55 80 FF 29"). Every layer above the transports carries device bytes
// in this form; the helpers below treat the text by its arithmetic (byte i is the
// two characters at 3*i), so a malformed text gives wrong results, not errors,
// except ToInt, which fails with a conversion error.
#include <QByteArray>
#include <QString>
#include <cstdint>

namespace tovra {

using HexaString = QString;

int QtdBytes(const HexaString& h);
HexaString ByteEm(const HexaString& h, int i);
void Adiciona(HexaString& h, const HexaString& x);
HexaString SubBytes(const HexaString& h, int a, int b);
void ApagaByte(HexaString& h, int i);
HexaString Inverte(const HexaString& h);
qint32 ToInt(const HexaString& h);  // throws std::invalid_argument on a bad text
qint32 ToIntLE(const HexaString& h);
qint64 ToInt64LE(const HexaString& h);
double ToSingleLE(const HexaString& h);
QByteArray ToBytes(const HexaString& h);
HexaString FromBytes(const QByteArray& bytes);
HexaString FromBytes(const char* dados, qsizetype tamanho);
QString ToBinario(const HexaString& h);
QString ToTexto(const HexaString& h);
QString SemEspacos(const HexaString& h);
QString SemZerosEsquerda(const HexaString& h);
int ByteToInt(const QString& t);
HexaString IntToHexa(qint64 v, int d);
HexaString Word16(qint64 v);
HexaString TextoToHexa(const QString& s);
// Waits ms milliseconds in 1 ms sleeps, measured with the monotonic tick counter.
void AguardaMs(int ms);
// Milliseconds of the monotonic tick counter since its first reading in this process.
qint64 RelogioMonotonico();

}  // namespace tovra
