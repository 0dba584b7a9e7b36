#pragma once
// How the LDAP back end turns libldap's results into directory error codes.
//
// Where an LDAP result means the same as a directory error, the directory code is used:
//   noSuchObject (32)                                  -> dirError::kObjectNotFound  (-601)
//   invalidDNSyntax (34)                               -> dirError::kInvalidSyntax   (-623)
//   referral (10), referral limit exceeded (client)    -> dirError::kReferralsFailed (-626)
//   partialResults (9, an LDAPv2 referral)             -> dirError::kNoReferrals     (-634)
//   no memory (client)                                 -> dirError::kNoMemory        (-649)
// Every other failure keeps a code of its own at or below dirError::kBackEndBase:
//   -3001 ... -3099  failures of the back end itself (ldapError:: below)
//   -3101 ... -4099  libldap client errors: kClientBase + code, e.g. server down (-1) -> -3101,
//                    timeout (-5) -> -3105, connect error (-11) -> -3111
//   -5001 and below  LDAP result codes sent by the server: kServerBase - code, e.g.
//                    sizeLimitExceeded (4) -> -5004, adminLimitExceeded (11) -> -5011,
//                    invalidCredentials (49) -> -5049, insufficientAccessRights (50) -> -5050,
//                    unwillingToPerform (53) -> -5053
// The server's diagnostic message is kept with the failure (LdapDirectory::FailureCause()).

#include <string>
#include <string_view>

#include "engine/DirectoryClient.h"

namespace vantor::ldapError {

inline constexpr int kUnknownContext = dirError::kBackEndBase - 1;     // not an open context
inline constexpr int kUnknownIteration = dirError::kBackEndBase - 2;   // handle not in use
inline constexpr int kBadBuffer = dirError::kBackEndBase - 3;          // foreign or unprepared
inline constexpr int kUnsupportedFilter = dirError::kBackEndBase - 4;  // only "Object Class" = x
inline constexpr int kBatchExhausted = dirError::kBackEndBase - 5;     // read past a batch's end
inline constexpr int kBadArgument = dirError::kBackEndBase - 8;        // scope, key, name context
inline constexpr int kBadDn = dirError::kBackEndBase - 9;  // server sent an unparsable DN

inline constexpr int kClientBase = -3100;
inline constexpr int kServerBase = -5000;

// The directory code for an LDAP result code (0 stays 0).
int FromLdap(int ldapCode);

}  // namespace vantor::ldapError

namespace vantor {

// One failed LDAP operation in words: what was done, libldap's text for the code and the
// server's diagnostic message when it sent one. Never contains a credential.
std::string DescribeLdapFailure(std::string_view what, int ldapCode, std::string_view diagnostic);

// What the "data XXX" sub-code in Active Directory's diagnostic for a refused bind means ("the
// account is disabled"); empty for a diagnostic without a known one.
std::string ActiveDirectoryBindReason(std::string_view diagnostic);

}  // namespace vantor
