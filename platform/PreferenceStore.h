#pragma once

#include <QString>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class QSettings;

// The user's key-value store: an in-memory registration layer of defaults
// below the values stored on disk. Keys are kept exactly as given. All
// operations may be called from any thread.
class PreferenceStore final
{
public:
    // The store of the real user (organisation and application "Vantrel").
    static PreferenceStore &standard();

    // A store kept in the given file, for tests and tools that must not
    // touch the user's settings.
    explicit PreferenceStore(const QString &filePath);
    ~PreferenceStore();
    PreferenceStore(const PreferenceStore &) = delete;
    PreferenceStore &operator=(const PreferenceStore &) = delete;

    // Defaults live only in memory for the life of the store; later
    // registrations of the same key win.
    void registerDefaults(const QVariantMap &defaults);

    // A stored value of the wrong kind (text that is no truth value, a
    // number with a fraction, a list where text belongs) or one that
    // `isValid` refuses gives the registered default, with a line in the
    // log: one damaged setting costs nothing else.
    bool boolForKey(const QString &key) const;
    qint32 integerForKey(const QString &key, const std::function<bool(qint32)> &isValid = {}) const;
    // A null string when the key has no value at all.
    QString stringForKey(const QString &key) const;

    void setBool(const QString &key, bool value);
    void setInteger(const QString &key, qint32 value);
    void setString(const QString &key, const QString &value);

    // Writes pending changes to disk (atomically, through a temporary file).
    void sync();

    QString fileName() const;

private:
    explicit PreferenceStore(std::unique_ptr<QSettings> settings);
    // The stored value, else the registered one.
    template<typename T>
    T read(const QString &key, std::optional<T> (*parse)(const QVariant &),
           const std::function<bool(T)> &isValid = {}) const;

    mutable std::mutex m_mutex;
    std::unique_ptr<QSettings> m_settings;
    QVariantMap m_defaults;
};
