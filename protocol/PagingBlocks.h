#pragma once

// The paging fields of list requests and list responses.

#include <cstdint>
#include <string>

namespace vantor {

// A new request asks for everything: start and count -1, no total.
struct CPagingRequest {
    int32_t start = -1;
    int32_t count = -1;
    bool includeTotalCount = false;

    bool operator==(const CPagingRequest&) const = default;
};

// Each field is written only when set; list readers take only count and totalCount, so
// start does not come back from a document.
struct CPagingResponse {
    int32_t start = -1;
    int32_t count = -1;
    int32_t totalCount = -1;

    bool operator==(const CPagingResponse&) const = default;
};

void WriteFields(std::string& out, const CPagingRequest& paging);
void ReadFields(const std::string& doc, CPagingRequest& paging);
void WriteFields(std::string& out, const CPagingResponse& paging);
void ReadFields(const std::string& doc, CPagingResponse& paging);

}  // namespace vantor
