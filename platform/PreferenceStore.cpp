#include "PreferenceStore.h"

#include <QLoggingCategory>
#include <QSettings>

#include <limits>

using namespace Qt::Literals::StringLiterals;

PreferenceStore &PreferenceStore::standard()
{
    static PreferenceStore store(std::make_unique<QSettings>(u"Vantrel"_s, u"Vantrel"_s));
    return store;
}

PreferenceStore::PreferenceStore(const QString &filePath)
    : PreferenceStore(std::make_unique<QSettings>(filePath, QSettings::IniFormat))
{
}

PreferenceStore::PreferenceStore(std::unique_ptr<QSettings> settings)
    : m_settings(std::move(settings))
{
}

PreferenceStore::~PreferenceStore() = default;

void PreferenceStore::registerDefaults(const QVariantMap &defaults)
{
    std::lock_guard lock(m_mutex);
    m_defaults.insert(defaults);
}

namespace {

Q_LOGGING_CATEGORY(lcPreferences, "vantrel.preferences")

std::optional<bool> parseBool(const QVariant &value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    // The file holds text; accept the spellings people and other tools write.
    const QString text = value.toString().trimmed().toLower();
    if (text == u"true" || text == u"yes")
        return true;
    if (text == u"false" || text == u"no")
        return false;
    bool isNumber = false;
    const qlonglong number = text.toLongLong(&isNumber);
    return isNumber ? std::optional(number != 0) : std::nullopt;
}

std::optional<qint32> parseInteger(const QVariant &value)
{
    bool isNumber = false;
    const qlonglong number = value.toString().trimmed().toLongLong(&isNumber);
    if (!isNumber || number < std::numeric_limits<qint32>::min() || number > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(number);
}

std::optional<QString> parseString(const QVariant &value)
{
    // An unquoted comma in the file makes a list of the text.
    if (value.typeId() == QMetaType::QStringList || !value.canConvert<QString>())
        return std::nullopt;
    return value.toString();
}

} // namespace

template<typename T>
T PreferenceStore::read(const QString &key, std::optional<T> (*parse)(const QVariant &),
                        const std::function<bool(T)> &isValid) const
{
    QVariant stored;
    QVariant registered;
    {
        std::lock_guard lock(m_mutex);
        stored = m_settings->value(key);
        registered = m_defaults.value(key);
    }
    if (stored.isValid()) {
        const std::optional<T> value = parse(stored);
        if (value && (!isValid || isValid(*value)))
            return *value;
        qCWarning(lcPreferences).noquote() << key << "holds" << stored.toString() << "- using its default"
                                           << registered.toString();
    }
    return registered.isValid() ? parse(registered).value_or(T()) : T();
}

bool PreferenceStore::boolForKey(const QString &key) const
{
    return read<bool>(key, parseBool);
}

qint32 PreferenceStore::integerForKey(const QString &key, const std::function<bool(qint32)> &isValid) const
{
    return read<qint32>(key, parseInteger, isValid);
}

QString PreferenceStore::stringForKey(const QString &key) const
{
    return read<QString>(key, parseString);
}

void PreferenceStore::setBool(const QString &key, bool value)
{
    std::lock_guard lock(m_mutex);
    m_settings->setValue(key, value);
}

void PreferenceStore::setInteger(const QString &key, qint32 value)
{
    std::lock_guard lock(m_mutex);
    m_settings->setValue(key, value);
}

void PreferenceStore::setString(const QString &key, const QString &value)
{
    std::lock_guard lock(m_mutex);
    m_settings->setValue(key, value);
}

void PreferenceStore::sync()
{
    std::lock_guard lock(m_mutex);
    m_settings->sync();
}

QString PreferenceStore::fileName() const
{
    std::lock_guard lock(m_mutex);
    return m_settings->fileName();
}
