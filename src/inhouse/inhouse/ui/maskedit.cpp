#include <inhouse/ui/maskedit.h>

#include <QPalette>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {

struct Converted
{
    QString qtMask;
    bool leadingBlanks = false;
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
        case '!': out.leadingBlanks = true; break; // applied to the text read, see Text()
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
    m_leadingBlanks = c.leadingBlanks;
    setInputMask(m_qtMask);
    if (m_maxLength > 0 && m_qtMask.isEmpty())
        setMaxLength(m_maxLength);
    fitFont_();
}

void TMaskEdit::SetMaxLength(int n)
{
    m_maxLength = n;
    // With a mask the mask fixes the length; without one the limit applies as such.
    if (m_qtMask.isEmpty())
        setMaxLength(n > 0 ? n : 32767);
}

QString TMaskEdit::leadingBlanks_(const QString &shown) const
{
    if (!m_leadingBlanks)
        return shown;
    // "8 :00" typed as 8 then ':' reads " 8:00": within each part between literals the
    // characters typed go right, the blanks left.
    QString out = shown;
    int start = 0;
    auto flush = [&](int end) {
        QString chars, blanks;
        for (int i = start; i < end; ++i)
            (shown.at(i) == m_blank ? blanks : chars) += shown.at(i);
        out.replace(start, end - start, blanks + chars);
    };
    for (int i = 0; i <= shown.size(); ++i) {
        if (i == shown.size() || m_literalPositions.contains(i)) {
            flush(i);
            start = i + 1;
        }
    }
    return out;
}

QString TMaskEdit::EditText() const
{
    return m_qtMask.isEmpty() ? text() : leadingBlanks_(displayText());
}

QString TMaskEdit::Text() const
{
    if (m_qtMask.isEmpty())
        return text();
    QString shown = leadingBlanks_(displayText());
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

void TMaskEdit::focusOutEvent(QFocusEvent *event)
{
    // Show what the program reads: a part typed short is moved right on leaving the field.
    if (m_leadingBlanks && !m_qtMask.isEmpty()) {
        const QString normal = leadingBlanks_(displayText());
        if (normal != displayText()) {
            setText(normal);
            if (displayText() != normal) { // the mask cannot hold it so: put it position by position
                clear();
                for (int i = 0; i < normal.size(); ++i) {
                    if (normal.at(i) == m_blank || m_literalPositions.contains(i))
                        continue;
                    setCursorPosition(i);
                    insert(QString(normal.at(i)));
                }
            }
        }
    }
    QLineEdit::focusOutEvent(event);
}

void TMaskEdit::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    fitFont_();
}

void TMaskEdit::fitFont_()
{
    // Narrow fields sized for a narrower font (an hour edit 33 pixels wide) would scroll their
    // first character out of sight: shrink the font until a full text fits.
    if (m_fitting || m_qtMask.isEmpty())
        return;
    m_fitting = true;
    if (!m_designFontKnown) {
        m_designFont = font();
        m_designFontKnown = true;
    }
    QString sample = displayText();
    for (QChar &c : sample)
        if (c == m_blank)
            c = QLatin1Char('0');
    QStyleOptionFrame opt;
    initStyleOption(&opt);
    const int room = style()->subElementRect(QStyle::SE_LineEditContents, &opt, this).width() - 5;
    QFont f = m_designFont;
    int px = QFontInfo(f).pixelSize();
    while (px > 7 && QFontMetrics(f).horizontalAdvance(sample) > room)
        f.setPixelSize(--px);
    if (f != font())
        setFont(f);
    m_fitting = false;
}
