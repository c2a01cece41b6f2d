#include <inhouse/text/editmask.h>

namespace {
// The last ';' not escaped with '\', or -1.
qsizetype LastSeparator(const QString &text)
{
  for (qsizetype i = text.size() - 1; i >= 0; --i)
    if (text[i] == u';' && (i == 0 || text[i - 1] != u'\\'))
      return i;
  return -1;
}

QChar Cased(QChar c, TEditMask::Case letterCase)
{
  switch (letterCase) {
  case TEditMask::Case::Upper: return c.toUpper();
  case TEditMask::Case::Lower: return c.toLower();
  case TEditMask::Case::Keep: break;
  }
  return c;
}
} // namespace

TEditMask::TEditMask(const QString &editMask)
{
  QString mask = editMask;
  if (const qsizetype last = LastSeparator(mask); last >= 0) {
    const QString tail = mask.mid(last + 1);
    const QString head = mask.left(last);
    if (const qsizetype middle = LastSeparator(head); middle >= 0) {
      mask = head.left(middle);
      m_saveLiterals = head.mid(middle + 1) != QLatin1String("0");
      if (!tail.isEmpty())
        m_blank = tail[0];
    } else {
      mask = head;
      m_saveLiterals = tail != QLatin1String("0");
    }
  }

  Case letterCase = Case::Keep;
  auto slot = [&](Kind kind, bool required) { m_items.append({kind, required, letterCase, QChar()}); };
  auto literal = [&](QChar c) { m_items.append({Kind::Literal, false, Case::Keep, c}); };
  for (qsizetype i = 0; i < mask.size(); ++i) {
    const QChar c = mask[i];
    switch (c.unicode()) {
    case '!': m_leadingBlanks = true; break;
    case '>': letterCase = Case::Upper; break;
    case '<':
      if (i + 1 < mask.size() && mask[i + 1] == u'>') {
        letterCase = Case::Keep;
        ++i;
      } else {
        letterCase = Case::Lower;
      }
      break;
    case '\\':
      if (i + 1 < mask.size())
        literal(mask[++i]);
      break;
    case '_': literal(u' '); break;
    case '0': slot(Kind::Digit, true); break;
    case '9': slot(Kind::Digit, false); break;
    case '#': slot(Kind::DigitOrSign, false); break;
    case 'L': slot(Kind::Letter, true); break;
    case 'l': slot(Kind::Letter, false); break;
    case 'A': slot(Kind::LetterOrDigit, true); break;
    case 'a': slot(Kind::LetterOrDigit, false); break;
    case 'C': slot(Kind::Any, true); break;
    case 'c': slot(Kind::Any, false); break;
    default: literal(c); break;
    }
  }
}

QList<int> TEditMask::LiteralPositions() const
{
  QList<int> positions;
  for (int i = 0; i < m_items.size(); ++i)
    if (m_items[i].kind == Kind::Literal)
      positions.append(i);
  return positions;
}

QString TEditMask::Format(const QString &value) const
{
  QString out;
  qsizetype v = 0;
  for (qsizetype i = 0; i < m_items.size();) {
    const Item &item = m_items[i];
    if (item.kind == Kind::Literal) {
      out += item.literal;
      if (m_saveLiterals && v < value.size() && value[v] == item.literal)
        ++v;
      ++i;
      continue;
    }
    // One part: the slots up to the next literal. A value that holds its literals may end a
    // part early; the part is then padded with blanks.
    qsizetype end = i;
    while (end < m_items.size() && m_items[end].kind != Kind::Literal)
      ++end;
    const bool literalFollows = m_saveLiterals && end < m_items.size();
    QString part;
    while (part.size() < end - i && v < value.size() && !(literalFollows && value[v] == m_items[end].literal))
      part += value[v++];
    const QString blanks(end - i - part.size(), m_blank);
    part = m_leadingBlanks ? blanks + part : part + blanks;
    for (qsizetype k = 0; k < part.size(); ++k)
      out += part[k] == m_blank ? part[k] : Cased(part[k], m_items[i + k].letterCase);
    i = end;
  }
  return out;
}

QString TEditMask::AlignParts(const QString &shown) const
{
  if (!m_leadingBlanks)
    return shown;
  QString out = shown;
  qsizetype start = 0;
  auto align = [&](qsizetype end) {
    QString chars, blanks;
    for (qsizetype i = start; i < end; ++i)
      (shown[i] == m_blank ? blanks : chars) += shown[i];
    out.replace(start, end - start, blanks + chars);
  };
  for (qsizetype i = 0; i <= shown.size(); ++i) {
    if (i == shown.size() || (i < m_items.size() && m_items[i].kind == Kind::Literal)) {
      align(i);
      start = i + 1;
    }
  }
  return out;
}

QString TEditMask::Stored(const QString &shown) const
{
  if (m_saveLiterals)
    return shown;
  QString out;
  for (qsizetype i = 0; i < shown.size(); ++i)
    if (i >= m_items.size() || m_items[i].kind != Kind::Literal)
      out += shown[i];
  return out;
}

QString TEditMask::ToQtInputMask() const
{
  if (m_items.isEmpty())
    return {};
  static const QString qtMeta = QStringLiteral("AaNnXx90DdHhBb#><!\\;[]{}");
  QString q;
  Case current = Case::Keep;
  for (const Item &item : m_items) {
    if (item.kind == Kind::Literal) {
      if (qtMeta.contains(item.literal))
        q += u'\\';
      q += item.literal;
      continue;
    }
    if (item.letterCase != current) {
      current = item.letterCase;
      q += current == Case::Upper ? u'>' : current == Case::Lower ? u'<' : u'!';
    }
    // Qt says "9 required, 0 optional" for digits, the opposite of the notation here.
    switch (item.kind) {
    case Kind::Digit: q += item.required ? u'9' : u'0'; break;
    case Kind::DigitOrSign: q += u'#'; break;
    case Kind::Letter: q += item.required ? u'A' : u'a'; break;
    case Kind::LetterOrDigit: q += item.required ? u'N' : u'n'; break;
    case Kind::Any: q += item.required ? u'X' : u'x'; break;
    case Kind::Literal: break;
    }
  }
  return q + u';' + m_blank;
}

QString FormatMaskText(const QString &editMask, const QString &value) { return TEditMask(editMask).Format(value); }
