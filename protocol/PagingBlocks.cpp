#include "protocol/PagingBlocks.h"

#include "protocol/BodyFields.h"
#include "protocol/Xml.h"

namespace vantor {

void WriteFields(std::string& out, const CPagingRequest& paging) {
    WriteIntIfSet(out, "start", paging.start);
    WriteIntIfSet(out, "count", paging.count);
    if (paging.includeTotalCount) WriteBoolElement(out, "includeTotalCount", true);
}

void ReadFields(const std::string& doc, CPagingRequest& paging) {
    paging.start = GetElementInt(doc, "start");
    paging.count = GetElementInt(doc, "count");
    paging.includeTotalCount = GetElementBool(doc, "includeTotalCount");
}

void WriteFields(std::string& out, const CPagingResponse& paging) {
    WriteIntIfSet(out, "start", paging.start);
    WriteIntIfSet(out, "count", paging.count);
    WriteIntIfSet(out, "totalCount", paging.totalCount);
}

void ReadFields(const std::string& doc, CPagingResponse& paging) {
    paging.count = GetElementInt(doc, "count");
    paging.totalCount = GetElementInt(doc, "totalCount");
}

}  // namespace vantor
