#include <inhouse/ui/maskedit.h>

#include <QPalette>

namespace {

struct Converted
{
    QString qtMask;
    QList<int> literalPositions; // positions of literals in the shown text
    bool saveLiterals = true;
    QChar blank = QLatin1Char(' ');
};

bool isQtMeta(QChar c)
{
    static const QString meta = QStringLiteral("AaNnXx90DdHhBb#><!\\;[]{}");
    return meta.contains(c);
}

Converted convert(const QString &hostMask)
{
    Converted out;
    if (hostMask.isEmpty())
        return out;
    // "mask;save;blank": the last two fields are optional; a ';' inside the mask is escaped.
    QString mask = hostMask;
    const QStringList parts = hostMask.split(QLatin1Char(';'));
    if (parts.size() >= 3 && parts.last().size() == 1) {
        out.blank = parts.last().at(0);
        out.saveLiterals = parts.at(parts.size() - 2) != QLatin1String("0");
        mask = parts.mid(0, parts.size() - 2).join(QLatin1Char(';'));
    } else if (parts.size() == 2 && (parts.last() == QLatin1String("0") || parts.last() == QLatin1String("1"))) {
        out.saveLiterals = parts.last() != QLatin1String("0");
        mask = parts.first();
    }

    QString q;
    int shown = 0;
    auto literal = [&](QChar c) {
        if (isQtMeta(c))
            q += QLatin1Char('\\');
        q += c;
        out.literalPositions << shown++;
    };
    for (int i = 0; i < mask.size(); ++i) {
        const QChar c = mask.at(i);
        switch (c.unicode()) {
        case '!': break; // leading blanks for optional characters: no Qt counterpart, harmless
        case '>': q += QLatin1Char('>'); break;
        case '<':
            if (i + 1 < mask.size() && mask.at(i + 1) == QLatin1Char('>')) {
                q += QLatin1Char('!');
                ++i;
            } else {
                q += QLatin1Char('<');
            }
            break;
        case '\\':
            if (i + 1 < mask.size())
                literal(mask.at(++i));
            break;
        case '_': literal(QLatin1Char(' ')); break;
        // The host says "0 required, 9 optional"; Qt says the opposite.
        case '0': q += QLatin1Char('9'); ++shown; break;
        case '9': q += QLatin1Char('0'); ++shown; break;
        case '#': q += QLatin1Char('#'); ++shown; break;
        case 'L': q += QLatin1Char('A'); ++shown; break;
        case 'l': q += QLatin1Char('a'); ++shown; break;
        case 'A': q += QLatin1Char('N'); ++shown; break;
        case 'a': q += QLatin1Char('n'); ++shown; break;
        case 'C': q += QLatin1Char('X'); ++shown; break;
        case 'c': q += QLatin1Char('x'); ++shown; break;
        default: literal(c); break;
        }
    }
    out.qtMask = q + QLatin1Char(';') + out.blank;
    return out;
}

} // namespace

TMaskEdit::TMaskEdit(QWidget *parent) : QLineEdit(parent) {}

QString TMaskEdit::ToQtInputMask(const QString &hostMask)
{
    return convert(hostMask).qtMask;
}

void TMaskEdit::SetEditMask(const QString &mask)
{
    m_editMask = mask;
    const Converted c = convert(mask);
    m_qtMask = c.qtMask;
    m_saveLiterals = c.saveLiterals;
    m_blank = c.blank;
    m_literalPositions = c.literalPositions;
    setInputMask(m_qtMask);
    if (m_maxLength > 0 && m_qtMask.isEmpty())
        setMaxLength(m_maxLength);
}

void TMaskEdit::SetMaxLength(int n)
{
    m_maxLength = n;
    // With a mask the mask fixes the length; without one the limit applies as such.
    if (m_qtMask.isEmpty())
        setMaxLength(n > 0 ? n : 32767);
}

QString TMaskEdit::EditText() const
{
    return m_qtMask.isEmpty() ? text() : displayText();
}

QString TMaskEdit::Text() const
{
    if (m_qtMask.isEmpty())
        return text();
    QString shown = displayText();
    if (!m_saveLiterals) {
        for (int i = m_literalPositions.size() - 1; i >= 0; --i)
            if (m_literalPositions.at(i) < shown.size())
                shown.remove(m_literalPositions.at(i), 1);
    }
    return shown;
}

void TMaskEdit::SetText(const QString &value)
{
    setText(value);
}

void TMaskEdit::SetTooltipBackground(bool on)
{
    QPalette p = palette();
    p.setColor(QPalette::Base, on ? p.color(QPalette::ToolTipBase) : QPalette().color(QPalette::Base));
    setPalette(p);
}
