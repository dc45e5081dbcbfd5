#include "need_requests.h"

#include <algorithm>
#include <map>
#include <optional>

#include "case_text.h"
#include "command_args.h"
#include "need_status.h"
#include "schema.h"
#include "store_reads.h"
#include "table_catalogue.h"
#include "write_rules.h"

namespace dalvero::server::functions {
namespace cat = catalogue;
namespace {

struct ProviderAsk {
    Record provider;
    std::vector<const Record*> needs;
    std::vector<std::int64_t> quotes;  // made for this provider
};

// The request: providers with the needs asked of them, every record checked.
class AskList {
public:
    AskList(Storage& storage, cJsonNode& request) : storage_(storage) {
        for (std::size_t i = 0; i < static_cast<std::size_t>(request.Count()); ++i) {
            const std::string name = request.NameAt(i);
            if (SameText(name, "ServerCommand")) continue;
            const auto seq = ParseSeq(name);
            if (!seq) throw CommandError("\"" + name + "\" is not a provider number.");
            auto provider = storage.Read(cat::tbl::kProviderEntities, *seq);
            if (!provider) throw CommandError("Provider " + name + " was not found.");
            ProviderAsk ask{std::move(*provider), {}, {}};
            if (const cJsonNode* needs = request.ChildAt(i); needs && !needs->IsArray()) {
                for (std::size_t j = 0; j < static_cast<std::size_t>(needs->Count()); ++j)
                    ask.needs.push_back(&Need(needs->NameAt(j)));
            } else if (request.KindAt(i) != cJsonNode::kNull) {
                throw CommandError("The needs asked of provider " + name + " must be a list of need numbers.");
            }
            asks.push_back(std::move(ask));
        }
        if (!caseSeq) throw CommandError("No needs were chosen to send to the providers.");
    }

    std::vector<ProviderAsk> asks;
    std::optional<std::int64_t> caseSeq;

private:
    const Record& Need(const std::string& name) {
        const auto seq = ParseSeq(name);
        if (!seq) throw CommandError("\"" + name + "\" is not a need number.");
        auto it = needs_.find(*seq);
        if (it == needs_.end()) {
            auto need = storage_.Read(cat::tbl::kCaseNeeds, *seq);
            if (!need || IsYes(Field(*need, cat::case_needs::kDeleted)))
                throw CommandError("Need " + name + " was not found.");
            const auto needCase = ParseSeq(Field(*need, cat::case_needs::kCase));
            if (!needCase || (caseSeq && *caseSeq != *needCase))
                throw CommandError("The needs of one request must all belong to one case.");
            caseSeq = needCase;
            it = needs_.emplace(*seq, std::move(*need)).first;
        }
        return it->second;
    }

    Storage& storage_;
    std::map<std::int64_t, Record> needs_;  // stable addresses for the asks
};

// Drops the needs that a provider already has an open request for.
void DropAlreadyAsked(Storage& storage, std::vector<ProviderAsk>& asks) {
    std::map<std::int64_t, std::vector<Record>> quotesOf;
    for (ProviderAsk& ask : asks) {
        std::erase_if(ask.needs, [&](const Record* need) {
            auto [it, fresh] = quotesOf.try_emplace(need->seq);
            if (fresh) it->second = LiveQuotes(storage, need->seq);
            return std::any_of(it->second.begin(), it->second.end(), [&](const Record& quote) {
                const std::string status = Field(quote, cat::quotes::kStatus);
                return ParseSeq(Field(quote, cat::quotes::kProvider)) == ask.provider.seq &&
                       !SameText(status, cat::quotes::kRejected) && !SameText(status, cat::quotes::kCancelled);
            });
        });
    }
    std::erase_if(asks, [](const ProviderAsk& ask) { return ask.needs.empty(); });
}

struct CaseContacts {
    Record theCase;
    std::optional<Record> worker;
    std::optional<Record> hospital;
};

std::string Line(std::string_view label, const std::string& value) {
    return value.empty() ? std::string() : std::string(label) + value + "\n";
}

mail::Message RequestMail(Storage& storage, const CaseContacts& contacts, const ProviderAsk& ask) {
    const std::string hospital =
        contacts.hospital ? Field(*contacts.hospital, cat::providers::kName) : std::string("The hospital");
    const std::string attention = Field(ask.provider, cat::providers::kAttention);
    mail::Message message;
    message.to = ProviderAddress(ask.provider);
    message.subject = "Request for post-acute care from " + hospital;
    if (contacts.worker && !PersonAddress(*contacts.worker).empty())
        message.replyTo = PersonAddress(*contacts.worker);
    else if (contacts.hospital && mail::IsPlainAddress(Field(*contacts.hospital, cat::providers::kReplyToEmail)))
        message.replyTo = Field(*contacts.hospital, cat::providers::kReplyToEmail);

    std::string& body = message.body;
    body = (attention.empty() ? Field(ask.provider, cat::providers::kName) : attention) + ",\n\n";
    body += hospital + " is planning the discharge of a patient (case " +
            Field(contacts.theCase, cat::cases::kCaseNumber) + ") and asks whether you can provide:\n\n";
    for (const Record* need : ask.needs) {
        const std::string when = WhenText(Field(*need, cat::case_needs::kRequired));
        body += "  - " + NeedName(storage, *need) + (when.empty() ? "" : ", needed by " + when) + "\n";
        if (const std::string text = Field(*need, cat::case_needs::kDescription); !text.empty())
            body += "    " + text + "\n";
    }
    body += "\nPlease let us know whether you accept this request by replying to this e-mail.\n";
    if (contacts.worker) {
        body += "\nYour contact:\n";
        body += Line("  ", PersonName(*contacts.worker));
        body += Line("  Phone: ", Field(*contacts.worker, cat::personnel::kPhone));
        body += Line("  E-mail: ", PersonAddress(*contacts.worker));
    }
    body += "\n" + hospital + "\n";
    if (contacts.hospital) body += Line("", Field(*contacts.hospital, cat::providers::kPhone));
    return message;
}

}  // namespace

void SendInitialNeedsEmails(const CommandContext& context, cJsonNode& request, cJsonNode&) {
    Storage& storage = context.storage;
    AskList list(storage, request);
    std::vector<ProviderAsk>& asks = list.asks;
    DropAlreadyAsked(storage, asks);

    CaseContacts contacts;
    auto theCase = storage.Read(cat::tbl::kCases, *list.caseSeq);
    if (!theCase) throw CommandError("Case " + std::to_string(*list.caseSeq) + " was not found.");
    contacts.theCase = std::move(*theCase);
    // A colleague may have closed the case since the planner opened it.
    if (IsYes(Field(contacts.theCase, cat::cases::kClosed)))
        throw CommandError(ClosedCaseText(storage, contacts.theCase));
    const std::string workerSeq = Field(contacts.theCase, cat::cases::kCaseWorker);
    contacts.worker = ReadLinked(storage, cat::tbl::kPersonnel, workerSeq);
    contacts.hospital = ReadLinked(storage, cat::tbl::kProviderEntities, Field(contacts.theCase, cat::cases::kHospital));

    // A provider without an address gets no request at all, rather than a
    // quote that it never hears about.
    std::vector<std::string> failures;
    std::erase_if(asks, [&](const ProviderAsk& ask) {
        if (!ProviderAddress(ask.provider).empty()) return false;
        failures.push_back(Field(ask.provider, cat::providers::kName) + ": no e-mail address is on file");
        return true;
    });

    const std::string created = LocalStamp(context.clock());
    storage.InTransaction([&] {
        for (ProviderAsk& ask : asks)
            for (const Record* need : ask.needs)
                ask.quotes.push_back(storage.Add(cat::tbl::kCaseNeedsQuote,
                                                 {{cat::quotes::kCreated, created},
                                                  {schema::quote_need::kNeed, std::to_string(need->seq)},
                                                  {cat::quotes::kProvider, std::to_string(ask.provider.seq)},
                                                  {cat::quotes::kPerson, workerSeq},
                                                  {cat::quotes::kStatus, cat::quotes::kWaiting}}));
    });

    // A request stands only when its provider was told of it.
    for (const ProviderAsk& ask : asks) {
        const std::string error = context.mailer.Send(RequestMail(storage, contacts, ask), *list.caseSeq);
        if (error.empty()) continue;
        storage.InTransaction([&] {
            for (std::int64_t quote : ask.quotes) storage.Remove(cat::tbl::kCaseNeedsQuote, quote);
        });
        failures.push_back(Field(ask.provider, cat::providers::kName) + ": " + error);
    }
    if (!failures.empty()) {
        std::string text = "No request was recorded for ";
        for (std::size_t i = 0; i < failures.size(); ++i) text += (i ? "; " : "") + failures[i];
        throw CommandError(text + ".");
    }
}

}  // namespace dalvero::server::functions
