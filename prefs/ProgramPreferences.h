#pragma once

#include <QString>
#include <QVariantMap>

class PreferenceStore;

// Wiring between typed settings fields and the user's preference store: a
// subclass lists its defaults in doRegisterDefaults() and moves its fields in
// loadValues() and saveValues(); nothing reaches the store in between.
class ProgramPreferences
{
public:
    explicit ProgramPreferences(PreferenceStore &store);
    virtual ~ProgramPreferences() = default;
    ProgramPreferences(const ProgramPreferences &) = delete;
    ProgramPreferences &operator=(const ProgramPreferences &) = delete;

    virtual void saveValues();
    virtual void loadValues();
    void registerDefaults();

protected:
    // Subclass constructors call this once their fields exist.
    void initialize();

    virtual QVariantMap doRegisterDefaults();
    static void addBoolValueToDictionary(QVariantMap &dictionary, bool value, const QString &key);
    static void addIntegerValueToDictionary(QVariantMap &dictionary, qint32 value, const QString &key);

    PreferenceStore &defaultPreferences() const { return m_store; }

private:
    PreferenceStore &m_store;
};
