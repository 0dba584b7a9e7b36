#include "directory/ldap/SaslBind.h"

#include <ldap.h>
#include <sasl/sasl.h>

#include <cstring>

namespace vantor {

namespace {

struct SaslAnswers {
    const std::string& authcid;
    const std::string& password;
};

int Answer(LDAP* /*ld*/, unsigned /*flags*/, void* defaults, void* questions) {
    const auto* answers = static_cast<const SaslAnswers*>(defaults);
    for (auto* question = static_cast<sasl_interact_t*>(questions);
         question->id != SASL_CB_LIST_END; ++question) {
        const char* text = question->defresult != nullptr ? question->defresult : "";
        if (question->id == SASL_CB_AUTHNAME && !answers->authcid.empty()) {
            text = answers->authcid.c_str();
        } else if (question->id == SASL_CB_PASS) {
            text = answers->password.c_str();
        }
        question->result = text;
        question->len = static_cast<unsigned>(std::strlen(text));
    }
    return LDAP_SUCCESS;
}

}  // namespace

int SaslBind(LDAP* ld, const std::string& mechanism, const std::string& authcid,
             const std::string& password) {
    SaslAnswers answers{authcid, password};
    return ldap_sasl_interactive_bind_s(ld, nullptr, mechanism.c_str(), nullptr, nullptr,
                                        LDAP_SASL_QUIET, Answer, &answers);
}

}  // namespace vantor
