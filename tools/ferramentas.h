#pragma once
// Small helpers shared by the data builders: the file checksum (CRC-64/WE as
// unsigned decimal text), zip writing, and plain generated PNG pictures.
#include <zip.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <array>
#include <cstdint>
#include <stdexcept>
#include <utility>
#include <vector>

namespace tovra::ferramentas {

// CRC-64/WE: polynomial 42F0E1EBA9EA3693, initial and final XOR all ones,
// no reflection. "123456789" gives 62EC59E3F1A4F00A.
inline uint64_t Crc64We(const QByteArray& dados) {
  static const std::array<uint64_t, 256> tabela = [] {
    std::array<uint64_t, 256> t{};
    for (uint64_t i = 0; i < 256; ++i) {
      uint64_t c = i << 56;
      for (int b = 0; b < 8; ++b) c = (c & 0x8000000000000000ull) ? (c << 1) ^ 0x42F0E1EBA9EA3693ull : c << 1;
      t[i] = c;
    }
    return t;
  }();
  uint64_t crc = ~0ull;
  for (char ch : dados) crc = tabela[((crc >> 56) ^ static_cast<uint8_t>(ch)) & 0xFF] ^ (crc << 8);
  return ~crc;
}
inline QString CrcTexto(const QByteArray& dados) { return QString::number(Crc64We(dados)); }

inline QByteArray LeArquivo(const QString& caminho) {
  QFile f(caminho);
  if (!f.open(QIODevice::ReadOnly)) throw std::runtime_error(("não foi possível ler " + caminho).toStdString());
  return f.readAll();
}
inline void GravaArquivo(const QString& caminho, const QByteArray& dados) {
  QDir().mkpath(QFileInfo(caminho).absolutePath());
  QFile f(caminho);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(dados) != dados.size())
    throw std::runtime_error(("não foi possível gravar " + caminho).toStdString());
}

// A zip archive holding the given entries (name, content), deflated.
inline void GravaZip(const QString& caminho, const std::vector<std::pair<QString, QByteArray>>& entradas) {
  QDir().mkpath(QFileInfo(caminho).absolutePath());
  QFile::remove(caminho);
  int erro = 0;
  zip_t* z = zip_open(caminho.toUtf8().constData(), ZIP_CREATE | ZIP_TRUNCATE, &erro);
  if (!z) throw std::runtime_error(("zip_open falhou: " + caminho).toStdString());
  for (const auto& [nome, dados] : entradas) {
    void* copia = malloc(static_cast<size_t>(dados.size()) + 1);
    memcpy(copia, dados.constData(), static_cast<size_t>(dados.size()));
    zip_source_t* src = zip_source_buffer(z, copia, static_cast<zip_uint64_t>(dados.size()), 1);
    if (!src || zip_file_add(z, nome.toUtf8().constData(), src, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE) < 0) {
      if (src) zip_source_free(src);
      zip_discard(z);
      throw std::runtime_error(("zip_file_add falhou: " + nome).toStdString());
    }
  }
  if (zip_close(z) != 0) {
    zip_discard(z);
    throw std::runtime_error(("zip_close falhou: " + caminho).toStdString());
  }
}

namespace detalhe {
inline uint32_t Crc32(const QByteArray& d) {
  uint32_t c = 0xFFFFFFFFu;
  for (char ch : d) {
    c ^= static_cast<uint8_t>(ch);
    for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
  }
  return ~c;
}
inline void Be32(QByteArray& o, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) o.append(static_cast<char>((v >> s) & 0xFF));
}
inline void Chunk(QByteArray& png, const char* tipo, const QByteArray& dados) {
  Be32(png, static_cast<uint32_t>(dados.size()));
  QByteArray corpo(tipo, 4);
  corpo += dados;
  png += corpo;
  Be32(png, Crc32(corpo));
}
}  // namespace detalhe

// A w x h RGB picture: background colour with a darker band across the middle
// (the band's height shows a code), stored uncompressed.
inline QByteArray Png(int w, int h, uint32_t rgb, int faixa) {
  QByteArray bruto;
  for (int y = 0; y < h; ++y) {
    bruto.append('\0');
    const bool naFaixa = y >= h / 2 - faixa && y < h / 2 + faixa;
    for (int x = 0; x < w; ++x) {
      uint32_t c = naFaixa ? (rgb >> 1) & 0x7F7F7F : rgb;
      const bool borda = x == 0 || y == 0 || x == w - 1 || y == h - 1;
      if (borda) c = 0x202020;
      bruto.append(static_cast<char>((c >> 16) & 0xFF));
      bruto.append(static_cast<char>((c >> 8) & 0xFF));
      bruto.append(static_cast<char>(c & 0xFF));
    }
  }
  // zlib stream of stored blocks.
  QByteArray z;
  z.append('\x78');
  z.append('\x01');
  int pos = 0;
  do {
    const int n = std::min<int>(65535, static_cast<int>(bruto.size()) - pos);
    const bool ultimo = pos + n >= bruto.size();
    z.append(static_cast<char>(ultimo ? 1 : 0));
    z.append(static_cast<char>(n & 0xFF));
    z.append(static_cast<char>(n >> 8));
    z.append(static_cast<char>(~n & 0xFF));
    z.append(static_cast<char>((~n >> 8) & 0xFF));
    z.append(bruto.mid(pos, n));
    pos += n;
  } while (pos < bruto.size());
  uint32_t a = 1, b = 0;
  for (char ch : bruto) {
    a = (a + static_cast<uint8_t>(ch)) % 65521;
    b = (b + a) % 65521;
  }
  detalhe::Be32(z, (b << 16) | a);

  QByteArray png("\x89PNG\r\n\x1a\n", 8);
  QByteArray ihdr;
  detalhe::Be32(ihdr, static_cast<uint32_t>(w));
  detalhe::Be32(ihdr, static_cast<uint32_t>(h));
  ihdr.append('\x08');  // bit depth
  ihdr.append('\x02');  // RGB
  ihdr.append('\0');
  ihdr.append('\0');
  ihdr.append('\0');
  detalhe::Chunk(png, "IHDR", ihdr);
  detalhe::Chunk(png, "IDAT", z);
  detalhe::Chunk(png, "IEND", QByteArray());
  return png;
}

}  // namespace tovra::ferramentas
