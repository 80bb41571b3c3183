#include "app/FontFamilies.h"

#include <QFontInfo>
#include <QStringList>
#include <algorithm>

namespace varlo::app {

namespace {

bool SameFace(const QFontInfo& a, const QFontInfo& b) {
    return a.family() == b.family() && a.styleName() == b.styleName();
}

}  // namespace

QFont WithOneFamily(const QFont& font) {
    const QFontInfo found(font);
    QStringList names = font.families();
    std::stable_sort(names.begin(), names.end(),
                     [](const QString& a, const QString& b) { return a.size() < b.size(); });
    names.append(found.family());  // finds itself, whatever the list held
    for (const QString& name : names) {
        QFont single = font;
        single.setFamilies({name});
        if (SameFace(QFontInfo(single), found)) {
            return single;
        }
    }
    return font;
}

}  // namespace varlo::app
