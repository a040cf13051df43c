#include "template.h"

namespace reportengine::Template {

namespace {

struct Field {
    QString name;
    QChar align = u'<';
    int width = -1; // none
};

// Reads the field that starts after the '{' at i; i ends after its '}'.
bool readField(const QString& text, qsizetype& i, Field& f, QString* why) {
    const qsizetype close = text.indexOf(u'}', i);
    if (close < 0) {
        if (why)
            *why = QStringLiteral("a field {... is not closed.");
        return false;
    }
    const QString inside = text.mid(i, close - i);
    i = close + 1;
    const qsizetype colon = inside.indexOf(u':');
    f.name = (colon < 0 ? inside : inside.left(colon)).trimmed();
    if (f.name.isEmpty() || f.name.contains(u'{')) {
        if (why)
            *why = QStringLiteral("the field {%1} has no name.").arg(inside);
        return false;
    }
    if (colon >= 0) {
        QString format = inside.mid(colon + 1).trimmed();
        if (!format.isEmpty() && (format[0] == u'<' || format[0] == u'^' || format[0] == u'>')) {
            f.align = format[0];
            format.remove(0, 1);
        }
        bool ok = false;
        f.width = format.toInt(&ok);
        if (!ok || f.width < 0 || f.width > 500) {
            if (why)
                *why = QStringLiteral("the field {%1} has no width after ':'.").arg(inside);
            return false;
        }
    }
    return true;
}

QString fit(const QString& value, const Field& f) {
    if (f.width < 0)
        return value;
    // A value cut to its field keeps a blank before what follows it.
    if (value.size() >= f.width)
        return f.width > 1 ? value.left(f.width - 1) + u' ' : value.left(f.width);
    const qsizetype room = f.width - value.size();
    if (f.align == u'>')
        return QString(room, u' ') + value;
    if (f.align == u'^')
        return QString(room / 2, u' ') + value + QString(room - room / 2, u' ');
    return value + QString(room, u' ');
}

template <class OnField>
bool walk(const QString& text, QString* out, QString* why, OnField onField) {
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text[i];
        if (c == u'{' && i + 1 < text.size() && text[i + 1] == u'{') {
            if (out)
                *out += u'{';
            i += 2;
        } else if (c == u'}' && i + 1 < text.size() && text[i + 1] == u'}') {
            if (out)
                *out += u'}';
            i += 2;
        } else if (c == u'{') {
            ++i;
            Field f;
            if (!readField(text, i, f, why) || !onField(f))
                return false;
        } else if (c == u'}') {
            if (why)
                *why = QStringLiteral("a '}' stands without its '{' (write }} for a brace).");
            return false;
        } else {
            if (out)
                *out += c;
            ++i;
        }
    }
    return true;
}

} // namespace

bool check(const QString& text, QString* why) {
    return walk(text, nullptr, why, [](const Field&) { return true; });
}

QStringList fields(const QString& text) {
    QStringList names;
    walk(text, nullptr, nullptr, [&](const Field& f) {
        names << f.name;
        return true;
    });
    return names;
}

QString expand(const QString& text, const Lookup& lookup, QString* unknown) {
    QString out;
    const bool ok = walk(text, &out, nullptr, [&](const Field& f) {
        const std::optional<QString> v = lookup(f.name);
        if (!v) {
            if (unknown)
                *unknown = f.name;
            return false;
        }
        out += fit(*v, f);
        return true;
    });
    return ok ? out : QString();
}

} // namespace reportengine::Template
