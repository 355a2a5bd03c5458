#include "register/ConvenioFilter.h"

#include "data/CachedTable.h"

namespace {

// Between the name, the code and the reference: a typed text never holds it, so no match spans two.
constexpr QChar kSeparator(0x1F);

}

QString foldForSearch(const QString &text)
{
    // Most names are plain ASCII: only those with other letters are decomposed.
    bool ascii = true;
    for (QChar c : text)
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii)
        return text.toLower();
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString out;
    out.reserve(decomposed.size());
    for (QChar c : decomposed)
        if (c.category() != QChar::Mark_NonSpacing)
            out += c;
    return out.toCaseFolded();
}

void ConvenioFilter::index(const CachedTable &convenios)
{
    const int nome = convenios.fieldIndex(QStringLiteral("CONVENIO"));
    const int codigo = convenios.fieldIndex(QStringLiteral("CODIGOCONVENIO"));
    const int referencia = convenios.fieldIndex(QStringLiteral("REFERENCIA"));
    m_keys.clear();
    m_keys.reserve(convenios.recordCount());
    for (int r = 0; r < convenios.recordCount(); ++r) {
        QString key = foldForSearch(convenios.valueAt(r, nome).toString());
        key += kSeparator;
        key += convenios.valueAt(r, codigo).toString();
        key += kSeparator;
        key += foldForSearch(convenios.valueAt(r, referencia).toString());
        m_keys << key;
    }
    m_indexed = true;
}

QVector<bool> ConvenioFilter::matches(const QString &typed) const
{
    const QString needle = foldForSearch(typed.trimmed());
    QVector<bool> out(m_keys.size(), true);
    if (needle.isEmpty())
        return out;
    for (int r = 0; r < m_keys.size(); ++r)
        out[r] = m_keys[r].contains(needle);
    return out;
}
