#include "PreferenceStore.h"

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

QVariant PreferenceStore::valueForKey(const QString &key) const
{
    std::lock_guard lock(m_mutex);
    QVariant value = m_settings->value(key);
    return value.isValid() ? value : m_defaults.value(key);
}

bool PreferenceStore::boolForKey(const QString &key) const
{
    const QVariant value = valueForKey(key);
    if (value.typeId() != QMetaType::QString)
        return value.toBool();
    // The file holds text; accept the spellings people and other tools write.
    const QString text = value.toString().trimmed().toLower();
    if (text == u"true" || text == u"yes")
        return true;
    bool isNumber = false;
    const qlonglong number = text.toLongLong(&isNumber);
    return isNumber && number != 0;
}

qint32 PreferenceStore::integerForKey(const QString &key) const
{
    bool isNumber = false;
    const qlonglong number = valueForKey(key).toLongLong(&isNumber);
    if (!isNumber)
        return 0;
    return qint32(std::clamp<qlonglong>(number, std::numeric_limits<qint32>::min(),
                                        std::numeric_limits<qint32>::max()));
}

QString PreferenceStore::stringForKey(const QString &key) const
{
    const QVariant value = valueForKey(key);
    if (!value.isValid() || !value.canConvert<QString>())
        return {};
    return value.toString();
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
