// velmora-cli describe / show / set: the working model of a protocol, seen from outside.
#include "CliCommand.h"

#include "TFolderDB.h"
#include "binding/EditRules.h"
#include "binding/EntryList.h"
#include "binding/InputTypes.h"
#include "binding/ProtocolSession.h"
#include "binding/RowText.h"
#include "binding/SaveItem.h"
#include "binding/ValueKinds.h"
#include "description/BuildDescription.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// The model as the entry window holds it right after opening, on lists kept in memory.
struct OpenProtocol {
    explicit OpenProtocol(const QString& folder)
        : db(folder), session(db, registry, EntryLists{entered, current, next, &frame}) {}

    TFolderDB db;
    InputTypeRegistry registry;  // the program registers no custom input types
    MemoryEntryList entered, current, next;
    MemoryShown frame;
    ProtocolSession session;
};

std::optional<int> ProtocolNumber(CliContext& c, const QString& text) {
    bool ok = false;
    const int number = text.toInt(&ok);
    if (ok) return number;
    c.err << "velmora-cli: not a protocol number: " << text << "\n";
    return std::nullopt;
}

bool OpenOrSay(CliContext& c, OpenProtocol& p, int number) {
    if (p.session.Open(number)) return true;
    c.err << "velmora-cli: no protocol " << number << " in " << p.db.Folder << "\n";
    return false;
}

QJsonArray ListJson(const TNvDescriptor& tree, const EntryList& list) {
    QJsonArray rows;
    for (int i = 0; i < list.RowCount(); ++i) {
        const QString row = list.Row(i);
        const TNvDescriptorItem* item = ItemOfRow(tree, row);
        rows.append((IsHeadingRow(row) ? QStringLiteral("+") : QString()) +
                    (item ? item->Name : QString()));
    }
    return rows;
}

QJsonObject ItemJson(const InputTypeRegistry& registry, const TNvDescriptorItem& item) {
    QJsonObject o;
    o.insert(QStringLiteral("name"), item.Name);
    for (const char* attribute : {"field", "type", "input", "level", "value", "define"})
        o.insert(QLatin1String(attribute), item.GetAttr(QLatin1String(attribute)));
    o.insert(QStringLiteral("display"), DisplayText(registry, item));
    return o;
}

int RunDescribe(CliContext& c) {
    if (c.args.size() != 1) {
        c.err << "usage: velmora-cli describe FOLDER\n";
        return 2;
    }
    QStringList lines;
    BuildDescription(c.args.at(0), lines);
    for (const QString& line : lines) c.out << line << "\n";
    return 0;
}

int RunShow(CliContext& c) {
    QStringList args = c.args;
    args.removeAll(QStringLiteral("--json"));  // the only form there is
    if (args.size() != 2) {
        c.err << "usage: velmora-cli show --json FOLDER NUMBER\n";
        return 2;
    }
    const std::optional<int> number = ProtocolNumber(c, args.at(1));
    if (!number) return 2;
    OpenProtocol p(args.at(0));
    if (!OpenOrSay(c, p, *number)) return 1;
    const TNvDescriptor& tree = *p.session.Tree();
    QJsonArray items;
    for (const TNvDescriptorItem* item = tree.First(); item; item = item->NextInTree())
        items.append(ItemJson(p.registry, *item));
    QJsonObject o;
    o.insert(QStringLiteral("items"), items);
    o.insert(QStringLiteral("entered"), ListJson(tree, p.entered));
    o.insert(QStringLiteral("current"), ListJson(tree, p.current));
    o.insert(QStringLiteral("next"), ListJson(tree, p.next));
    c.out << QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)) << "\n";
    return 0;
}

TNvDescriptorItem* FieldItem(const TNvDescriptor& tree, const QString& field) {
    for (TNvDescriptorItem* item = tree.First(); item; item = item->NextInTree())
        if (!item->Children() &&
            QString::compare(item->GetAttr(QStringLiteral("field")), field, Qt::CaseInsensitive) == 0)
            return item;
    return nullptr;
}

const char* CommitWord(const CommitResult& commit, const SaveOutcome& save) {
    switch (commit.kind) {
        case CommitResult::Kind::DateInvalid: return "date-invalid";
        case CommitResult::Kind::Refused: return "refused";
        case CommitResult::Kind::NotStored: return "not-stored";
        case CommitResult::Kind::Stored: break;
    }
    switch (save.status) {
        case SaveOutcome::Status::Written: return "written";
        case SaveOutcome::Status::Skipped: return "skipped";
        case SaveOutcome::Status::Refused: return "refused";
        case SaveOutcome::Status::Failed: return "failed";
    }
    return "failed";
}

// TEXT is typed into an emptied single-line editor of the field's item, character by
// character through its filter, and then committed and saved as when the editor is left.
// Prints the outcome as one JSON object; exits 0 only when the value was written.
int RunSet(CliContext& c) {
    if (c.args.size() != 4) {
        c.err << "usage: velmora-cli set FOLDER NUMBER FIELD TEXT\n";
        return 2;
    }
    const std::optional<int> number = ProtocolNumber(c, c.args.at(1));
    if (!number) return 2;
    OpenProtocol p(c.args.at(0));
    if (!OpenOrSay(c, p, *number)) return 1;
    TNvDescriptorItem* item = FieldItem(*p.session.Tree(), c.args.at(2));
    if (!item) {
        c.err << "velmora-cli: no item has the field " << c.args.at(2) << "\n";
        return 1;
    }
    if (InputKind(item->GetAttr(QStringLiteral("input"))) != InputKindCode::Edit) {
        c.err << "velmora-cli: " << c.args.at(2) << " is not entered in a single-line editor"
              << " (input=" << item->GetAttr(QStringLiteral("input")) << ")\n";
        return 1;
    }
    const TypedText typed = TypeIntoEditor(*item, c.args.at(3));
    // A character that cannot be stored refuses the whole text rather than vanishing from it.
    CommitResult commit;
    commit.kind = CommitResult::Kind::Refused;
    commit.reason = typed.refusal;
    if (typed.refusal.isEmpty()) commit = CommitEditValue(*item, typed.text);
    SaveOutcome save;
    if (commit.NeedsSave()) save = SaveItem(p.db, *item, *number);
    QString message = commit.reason;
    if (commit.kind == CommitResult::Kind::DateInvalid) message = kDateMessage;
    if (message.isEmpty()) message = save.message;
    const QString outcome = QLatin1String(CommitWord(commit, save));
    QJsonObject o;
    o.insert(QStringLiteral("field"), item->GetAttr(QStringLiteral("field")));
    o.insert(QStringLiteral("typed"), typed.text);
    o.insert(QStringLiteral("value"), item->GetAttr(QStringLiteral("value")));
    o.insert(QStringLiteral("define"), item->GetAttr(QStringLiteral("define")));
    o.insert(QStringLiteral("outcome"), outcome);
    if (!message.isEmpty()) o.insert(QStringLiteral("message"), message);
    c.out << QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)) << "\n";
    return outcome == u"written" ? 0 : 1;
}

}  // namespace

std::vector<CliCommand> BindingCommands() {
    return {
        {QStringLiteral("describe"), QStringLiteral("describe FOLDER"), RunDescribe},
        {QStringLiteral("show"), QStringLiteral("show --json FOLDER NUMBER"), RunShow},
        {QStringLiteral("set"), QStringLiteral("set FOLDER NUMBER FIELD TEXT"), RunSet},
    };
}
