#include "ProgramPreferences.h"

#include "PreferenceStore.h"

ProgramPreferences::ProgramPreferences(PreferenceStore &store)
    : m_store(store)
{
}

void ProgramPreferences::initialize()
{
    registerDefaults();
    loadValues();
}

void ProgramPreferences::saveValues()
{
}

void ProgramPreferences::loadValues()
{
}

void ProgramPreferences::registerDefaults()
{
    m_store.registerDefaults(doRegisterDefaults());
}

QVariantMap ProgramPreferences::doRegisterDefaults()
{
    return {};
}

void ProgramPreferences::addBoolValueToDictionary(QVariantMap &dictionary, bool value, const QString &key)
{
    dictionary.insert(key, value);
}

void ProgramPreferences::addIntegerValueToDictionary(QVariantMap &dictionary, qint32 value, const QString &key)
{
    dictionary.insert(key, value);
}
