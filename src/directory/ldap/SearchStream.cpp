#include "directory/ldap/SearchStream.h"

#include <ldap.h>

#include <algorithm>

namespace vantor {

namespace {

struct Running {
    int msgid = -1;
    PageSink* sink = nullptr;
    bool done = false;
};

void AbandonAll(LDAP* ld, const std::vector<Running>& running) {
    for (const Running& search : running) {
        if (!search.done && search.msgid >= 0) {
            ldap_abandon_ext(ld, search.msgid, nullptr, nullptr);
        }
    }
}

LdapOutcome Send(LDAP* ld, const StreamedSearch& search, Running& running) {
    std::vector<char*> attributes;
    for (const std::string& attribute : search.spec.attributes) {
        attributes.push_back(const_cast<char*>(attribute.c_str()));
    }
    attributes.push_back(nullptr);
    std::vector<LDAPControl*> controls(search.spec.controls.begin(), search.spec.controls.end());
    controls.push_back(nullptr);
    LdapOutcome outcome;
    outcome.code = ldap_search_ext(
        ld, search.spec.baseDn.c_str(), search.spec.scope, search.spec.filter.c_str(),
        attributes.data(), 0, controls.data(), nullptr, nullptr, LDAP_NO_LIMIT, &running.msgid);
    if (outcome.code != LDAP_SUCCESS) {
        outcome.diagnostic = LastDiagnostic(ld);
    }
    running.sink = search.sink;
    return outcome;
}

}  // namespace

LdapOutcome StreamSearches(LDAP* ld, const std::vector<StreamedSearch>& searches,
                           const WaitLimits& limits, std::size_t maxInFlight) {
    std::vector<Running> running(searches.size());
    if (!searches.empty()) {
        ldap_set_option(ld, LDAP_OPT_DEREF, &searches.front().spec.deref);
    }
    std::size_t sent = 0;
    const auto sendUpTo = [&](std::size_t inFlight) {
        LdapOutcome outcome;
        for (; sent < searches.size() && inFlight < maxInFlight; ++sent, ++inFlight) {
            outcome = Send(ld, searches[sent], running[sent]);
            if (outcome.code != LDAP_SUCCESS) {
                break;
            }
        }
        return outcome;
    };
    if (LdapOutcome outcome = sendUpTo(0); outcome.code != LDAP_SUCCESS) {
        AbandonAll(ld, running);
        return outcome;
    }
    WaitSlices slices(limits);
    for (std::size_t finished = 0; finished < searches.size();) {
        if (const int code = slices.Check(); code != LDAP_SUCCESS) {
            AbandonAll(ld, running);
            return {code, {}, {}};
        }
        timeval wait = slices.Next();
        LDAPMessage* raw = nullptr;
        const int type = ldap_result(ld, LDAP_RES_ANY, LDAP_MSG_ONE, &wait, &raw);
        const LdapMessagePtr message(raw);
        if (type < 0) {
            AbandonAll(ld, running);
            return {ClientError(ld), LastDiagnostic(ld), {}};
        }
        if (type == 0) {
            continue;
        }
        slices.Answered();
        const int msgid = ldap_msgid(message.get());
        const auto search = std::find_if(running.begin(), running.begin() + sent,
                                         [&](const Running& r) { return r.msgid == msgid; });
        if (search == running.begin() + sent || search->done) {
            continue;  // a late answer to an abandoned request
        }
        if (type == LDAP_RES_SEARCH_ENTRY) {
            search->sink->Entry(ld, message.get());
        } else if (type == LDAP_RES_SEARCH_REFERENCE) {
            search->sink->Reference(ReferenceUrls(ld, message.get()));
        } else if (type == LDAP_RES_SEARCH_RESULT) {
            search->done = true;
            ++finished;
            LdapOutcome outcome = ParseResult(ld, message.get());
            if (outcome.code == LDAP_SUCCESS) {
                outcome = sendUpTo(sent - finished);
            }
            if (outcome.code != LDAP_SUCCESS) {
                AbandonAll(ld, running);
                return outcome;
            }
        }
    }
    return {};
}

}  // namespace vantor
