#include "app/families.h"
#include "ui/dialogs/settings_store.h"

#include <QSettings>
#include <algorithm>

namespace morvi::ui {

namespace {

bool readNumber(QSettings& store, const char* name, qint64& out) {
    const QVariant value = store.value(QLatin1String(name));
    if (!value.isValid()) return false;
    bool ok = false;
    const qint64 n = value.toLongLong(&ok);
    if (ok) out = n;
    return ok;
}

void readByte(QSettings& store, const char* name, std::uint8_t& field) {
    qint64 n = 0;
    if (readNumber(store, name, n)) field = morvi::lowByte(n);
}

void readInt(QSettings& store, const char* name, std::int32_t& field) {
    qint64 n = 0;
    if (readNumber(store, name, n)) field = std::int32_t(std::uint32_t(std::uint64_t(n)));
}

} // namespace

morvi::Settings loadSettings() {
    morvi::Settings s;
    QSettings store(QStringLiteral("Quarnsby"), QStringLiteral("morvi"));
    store.beginGroup(QStringLiteral("Settings"));
    readByte(store, "grid", s.grid);
    readByte(store, "gridMinMag", s.gridMinMag);
    readByte(store, "background", s.background);
    s.emulator = store.value(QStringLiteral("emulator")).toString().toStdString();
    readInt(store, "xPos", s.xPos);
    readInt(store, "yPos", s.yPos);
    readByte(store, "tab", s.tab);
    readByte(store, "tab1Mag", s.tab1Mag);
    readByte(store, "tab3Mag", s.tab3Mag);
    readByte(store, "tab4Mag", s.tab4Mag);
    for (morvi::Family f : morvi::families()) {
        const std::string key = std::string(f->cliName()) + "Mag";
        std::uint8_t mag = 0;
        if (store.contains(QString::fromStdString(key))) {
            readByte(store, key.c_str(), mag);
            if (mag >= 1) s.magnifications[std::string(f->cliName())] = mag;
        }
    }
    readInt(store, "width", s.width);
    readInt(store, "height", s.height);
    readByte(store, "maximized", s.maximized);
    readByte(store, "onionSkin", s.onionSkin);
    readByte(store, "onionOpacity", s.onionOpacity);
    s.onionOpacity = std::uint8_t(std::clamp(int(s.onionOpacity), 10, 90));
    // Paths and a filter's text; anything longer than a path can be is not one.
    auto readText = [&](const char* name, std::string& field) {
        const QString value = store.value(QLatin1String(name)).toString();
        if (value.size() <= 4096) field = value.toStdString();
    };
    readText("importFolder", s.importFolder);
    readText("importFilter", s.importFilter);
    readText("exportFolder", s.exportFolder);
    store.endGroup();
    // Each sequence as "poses|frames", the poses checked again when they are played.
    store.beginGroup(QStringLiteral("Recent Sequences"));
    for (int i = 1; i <= morvi::kRecentSequenceCount; ++i) {
        const QString value = store.value(QStringLiteral("sequence%1").arg(i)).toString();
        const qsizetype bar = value.lastIndexOf(QLatin1Char('|'));
        if (bar <= 0) continue;
        bool number = false;
        const int frames = value.mid(bar + 1).toInt(&number);
        if (number && frames >= 1 && frames <= 600) s.recentSequences.push_back({value.left(bar).left(1024).toStdString(), frames});
    }
    store.endGroup();
    store.beginGroup(QStringLiteral("Recent File List"));
    for (int i = 1; i <= morvi::kRecentFileCount; ++i) {
        const QVariant value = store.value(QStringLiteral("file%1").arg(i));
        if (value.isValid() && value.canConvert<QString>())
            s.recentFiles.push_back(value.toString().toStdString());
    }
    store.endGroup();
    return s;
}

void saveSettings(const morvi::Settings& s, QPoint windowPosition) {
    QSettings store(QStringLiteral("Quarnsby"), QStringLiteral("morvi"));
    store.beginGroup(QStringLiteral("Settings"));
    store.setValue(QStringLiteral("grid"), int(s.grid));
    store.setValue(QStringLiteral("gridMinMag"), int(s.gridMinMag));
    store.setValue(QStringLiteral("background"), int(s.background));
    store.setValue(QStringLiteral("emulator"), QString::fromStdString(s.emulator));
    store.setValue(QStringLiteral("xPos"), windowPosition.x());
    store.setValue(QStringLiteral("yPos"), windowPosition.y());
    store.setValue(QStringLiteral("tab"), int(s.tab));
    store.setValue(QStringLiteral("tab1Mag"), int(s.tab1Mag));
    store.setValue(QStringLiteral("tab3Mag"), int(s.tab3Mag));
    store.setValue(QStringLiteral("tab4Mag"), int(s.tab4Mag));
    for (const auto& [family, mag] : s.magnifications) store.setValue(QString::fromStdString(family + "Mag"), int(mag));
    store.setValue(QStringLiteral("onionSkin"), int(s.onionSkin));
    store.setValue(QStringLiteral("onionOpacity"), int(s.onionOpacity));
    store.setValue(QStringLiteral("width"), int(s.width));
    store.setValue(QStringLiteral("height"), int(s.height));
    store.setValue(QStringLiteral("maximized"), int(s.maximized));
    store.setValue(QStringLiteral("importFolder"), QString::fromStdString(s.importFolder));
    store.setValue(QStringLiteral("importFilter"), QString::fromStdString(s.importFilter));
    store.setValue(QStringLiteral("exportFolder"), QString::fromStdString(s.exportFolder));
    store.endGroup();
    store.beginGroup(QStringLiteral("Recent Sequences"));
    store.remove(QString());
    for (std::size_t k = 0; k < s.recentSequences.size(); ++k)
        store.setValue(QStringLiteral("sequence%1").arg(k + 1),
                       QStringLiteral("%1|%2").arg(QString::fromStdString(s.recentSequences[k].poses)).arg(s.recentSequences[k].framesPerPose));
    store.endGroup();
    store.beginGroup(QStringLiteral("Recent File List"));
    for (std::size_t i = 0; i < s.recentFiles.size(); ++i)
        store.setValue(QStringLiteral("file%1").arg(i + 1), QString::fromStdString(s.recentFiles[i]));
    // A slot the list no longer fills must not come back as an entry at the next start.
    for (int i = int(s.recentFiles.size()) + 1; i <= morvi::kRecentFileCount; ++i)
        store.remove(QStringLiteral("file%1").arg(i));
    store.endGroup();
    store.sync();
}

} // namespace morvi::ui
