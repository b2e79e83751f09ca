#include "Server.h"

namespace zorlsp {

Json Server::documentSymbol(const Json&) {
    return Json::array();
}
Json Server::hover(const Json&) {
    return nullptr;
}
Json Server::definition(const Json&) {
    return nullptr;
}
Json Server::references(const Json&) {
    return Json::array();
}
Json Server::completion(const Json&) {
    return Json::array();
}

}  // namespace zorlsp
