#include "common/formata.h"

namespace tovra {

QString FormataTexto(const QString& padrao, const QStringList& args) {
  QString out;
  qsizetype proximo = 0;
  const qsizetype n = padrao.size();
  for (qsizetype i = 0; i < n; ++i) {
    const QChar c = padrao[i];
    if (c != '%') {
      out += c;
      continue;
    }
    if (++i >= n) throw std::invalid_argument("formato inválido");
    if (padrao[i] == '%') {
      out += '%';
      continue;
    }
    // [index:] [-] [width] [.prec] type
    qsizetype ini = i;
    long long indice = -1;
    while (i < n && padrao[i].isDigit()) ++i;
    if (i < n && padrao[i] == ':' && i > ini) {
      indice = padrao.mid(ini, i - ini).toLongLong();
      ++i;
    } else {
      i = ini;
    }
    bool esquerda = false;
    if (i < n && padrao[i] == '-') { esquerda = true; ++i; }
    int largura = 0;
    while (i < n && padrao[i].isDigit()) largura = largura * 10 + padrao[i++].digitValue();
    int precisao = -1;
    if (i < n && padrao[i] == '.') {
      ++i;
      precisao = 0;
      while (i < n && padrao[i].isDigit()) precisao = precisao * 10 + padrao[i++].digitValue();
    }
    if (i >= n) throw std::invalid_argument("formato inválido");
    const QChar tipo = padrao[i].toLower();
    const qsizetype a = indice >= 0 ? indice : proximo;
    if (a < 0 || a >= args.size()) throw std::invalid_argument("argumento ausente no formato");
    proximo = a + 1;
    const QString& arg = args[a];
    QString v;
    bool ok = true;
    switch (tipo.unicode()) {
      case 's': v = precisao >= 0 ? arg.left(precisao) : arg; break;
      case 'd': {
        const long long x = arg.trimmed().toLongLong(&ok);
        v = QString::number(x);
        if (precisao > 0) v = v.rightJustified(precisao, '0');
        break;
      }
      case 'u': v = QString::number(arg.trimmed().toULongLong(&ok)); break;
      case 'x': v = QString::number(arg.trimmed().toLongLong(&ok), 16).toUpper(); break;
      case 'f':
      case 'n': v = QString::number(arg.trimmed().toDouble(&ok), 'f', precisao >= 0 ? precisao : 2); break;
      default: throw std::invalid_argument("formato inválido");
    }
    if (!ok) throw std::invalid_argument("argumento não numérico no formato");
    if (v.size() < largura) v = esquerda ? v.leftJustified(largura) : v.rightJustified(largura);
    out += v;
  }
  return out;
}

}  // namespace tovra
