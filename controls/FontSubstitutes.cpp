// Maps the old font names of the window definitions to the families installed on this system.
#include "controls/FontSubstitutes.h"

namespace {

struct Substitute {
    const char* OldName;
    const char* Family;
    bool Bold;
};

// Both stand-ins are ordinary packaged fonts (fonts-quicksand, fonts-liberation); the rounded face
// exists in a bold cut, which is what the old name's "Bold" means.
constexpr Substitute kSubstitutes[] = {
    {"Arial Rounded MT Bold", "Quicksand", true},
    {"MS Sans Serif", "Liberation Sans", false},
};

const Substitute* Find(const std::string& name) {
    const QString wanted = QString::fromStdString(name).trimmed();
    for (const Substitute& s : kSubstitutes)
        if (wanted.compare(QLatin1String(s.OldName), Qt::CaseInsensitive) == 0) return &s;
    return nullptr;
}

} // namespace

QString SubstituteFontFamily(const std::string& name) {
    if (const Substitute* s = Find(name)) return QString::fromLatin1(s->Family);
    return QString::fromStdString(name);
}

QFont MakeFont(const std::string& name, int pixelHeight, bool bold) {
    QFont font(SubstituteFontFamily(name));
    if (pixelHeight > 0) font.setPixelSize(pixelHeight);
    const Substitute* s = Find(name);
    font.setBold(bold || (s && s->Bold));
    return font;
}

void InstallFontSubstitutes() {
    for (const Substitute& s : kSubstitutes)
        QFont::insertSubstitution(QString::fromLatin1(s.OldName), QString::fromLatin1(s.Family));
}
