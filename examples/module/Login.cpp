// login: checks a user's password and opens a session. The session is a result
// in parentheses, "(session)", so the library hands its members on to the rest
// of the script as the global variables session.id, session.user and
// session.expires.
#include <cstring>

#include "ZorLib.h"

namespace {

struct Account {
    const char* user;
    const char* password;
    int sessionId;
};

const Account accounts[] = {{"alice", "wonderland", 4711}, {"bob", "builder", 4712}};

const Account* findAccount(const char* user, const char* password) {
    for (const Account& account : accounts) {
        if (std::strcmp(account.user, user) == 0 && std::strcmp(account.password, password) == 0)
            return &account;
    }
    return nullptr;
}

void login() {
    DataMap& in = Parse::getInStore()[0];
    DataMap& out = Parse::getOutStore();
    const Account* account = findAccount(in["user"], in["password"]);
    out["status"] = account ? 0 : 1;
    if (!account) return;
    StoreCv session = out["(session)"];
    session["id"] = account->sessionId;
    session["user"] = account->user;
    session["expires"] = 3600.0;
}

ZorCall loginRegistration("login", login);

}  // namespace
