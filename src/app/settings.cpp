#include "settings.h"

#include "platform/registry.h"

namespace {

// One walk over the settings tables serves reading and writing, so that both keep the same
// names, types and order. The time-limit switch of the labelling dialog was always read as
// "UebOpt-Zeitlimit" and written as "UebOpt-ZeitLimit"; names are matched without regard to
// case, so both spellings meet in one value.
template<class Visitor> void visitSettings(Visitor& v, AppSettings& app, QuizOptions& quiz)
{
    v.flag("Opt-Sound", app.soundEnabled);
    v.flag("Opt-UebNameEingabe", app.nameEntryAtStart);
    v.flag("Opt-AutoProtSpeichern", app.protocolAutoSave);
    v.flag("Opt-ErgebBestListEintragen", app.highScoreAutoEnter);
    v.text("NetzKomOrdner", app.commFolder);
    v.text("NetzKomKanal", app.commChannel);
    v.text("Opt-ProtOrdner", app.protocolFolder);
    v.text("Opt-BestListOrdner", app.highScoreFolder);
    v.text("Opt-ArbeitsblattOrdner", app.worksheetFolder);

    LabelQuizOptions& l = quiz.labelling;
    v.choice("UebOpt-AbfrageModus", l.abfrageModus, QuizOptionChoices::abfrageModus);
    v.choice("UebOpt-Zeitlimit", "UebOpt-ZeitLimit", l.zeitlimit, QuizOptionChoices::zeitlimit);
    v.field("UebOpt-ZLimitMin", l.zLimitMin);
    v.field("UebOpt-ZLimitSek", l.zLimitSek);
    v.choice("UebOpt-ZuordnungRichtig", l.zuordnungRichtig, QuizOptionChoices::zuordnungRichtig);
    v.choice("UebOpt-ZuordnungFalsch", l.zuordnungFalsch, QuizOptionChoices::zuordnungFalsch);
    v.choice("UebOpt-Zuordnungstexte", l.zuordnungstexte, QuizOptionChoices::zuordnungstexte);
    v.choice("UebOpt-Zuordnungsziele", l.zuordnungsziele, QuizOptionChoices::labelZuordnungsziele);

    QuestionQuizOptions& q = quiz.questions;
    v.choice("UebOptFragen-ZuordnungFalsch", q.zuordnungFalsch, QuizOptionChoices::zuordnungFalsch);
    v.choice("UebOptFragen-Zuordnungstexte", q.zuordnungstexte, QuizOptionChoices::zuordnungstexte);
    v.choice("UebOptFragen-Zeitlimit", q.zeitlimit, QuizOptionChoices::zeitlimit);
    v.field("UebOptFragen-ZLimitMin", q.zLimitMin);
    v.field("UebOptFragen-ZLimitSek", q.zLimitSek);
    v.choice("UebOptFragen-Zuordnungsziele", q.zuordnungsziele, QuizOptionChoices::questionZuordnungsziele);
}

class SettingsReader
{
public:
    explicit SettingsReader(const RegistryKey& key)
        : m_key(key)
    { }

    void flag(const char* name, bool& value)
    {
        if (const auto stored = m_key.readDword(QLatin1String(name)))
            value = *stored != 0;
    }
    void text(const char* name, QString& value)
    {
        if (const auto stored = m_key.readString(QLatin1String(name)))
            value = *stored;
    }
    // A radio entry that the group does not have would leave the dialog without a choice.
    void choice(const char* name, int& value, int choices) { choice(name, name, value, choices); }
    void choice(const char* readName, const char*, int& value, int choices)
    {
        if (const auto stored = m_key.readDword(QLatin1String(readName)); stored && *stored < quint32(choices))
            value = int(*stored);
    }
    // The numeric fields take only what they could have been given by typing.
    void field(const char* name, QString& value)
    {
        if (const auto stored = m_key.readString(QLatin1String(name)); stored && isTimeLimitField(*stored))
            value = *stored;
    }

private:
    const RegistryKey& m_key;
};

class SettingsWriter
{
public:
    explicit SettingsWriter(RegistryKey& key)
        : m_key(key)
    { }

    void flag(const char* name, bool value) { m_key.writeDword(QLatin1String(name), value ? 1 : 0); }
    void text(const char* name, const QString& value) { m_key.writeString(QLatin1String(name), value); }
    void choice(const char* name, int value, int choices) { choice(name, name, value, choices); }
    void choice(const char*, const char* writeName, int value, int)
    {
        m_key.writeDword(QLatin1String(writeName), quint32(value));
    }
    void field(const char* name, const QString& value) { m_key.writeString(QLatin1String(name), value); }

private:
    RegistryKey& m_key;
};

} // namespace

void readSettings(const RegistryKey& key, AppSettings& app, QuizOptions& quiz)
{
    SettingsReader reader(key);
    visitSettings(reader, app, quiz);
}

void writeSettings(RegistryKey& key, const AppSettings& app, const QuizOptions& quiz)
{
    SettingsWriter writer(key);
    // The walk is shared with reading and takes references; writing changes nothing in them.
    AppSettings appCopy = app;
    QuizOptions quizCopy = quiz;
    visitSettings(writer, appCopy, quizCopy);
}
