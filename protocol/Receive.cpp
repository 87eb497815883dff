#include "protocol/Receive.h"

#include "protocol/ResultCodes.h"
#include "protocol/Xml.h"

namespace vantor {

void PrepareReceivedDocument(std::string& doc) {
    // Text that is not UTF-8 is kept as received: FromWireText leaves it alone.
    FromWireText(doc);
    RemoveSpans(doc, "<?", "?>");
    RemoveSpans(doc, "<!--", "-->");
}

CReceiveResult ReceiveDocument(std::string bytes, int32_t clientId,
                               const CMessageCatalogue& catalogue) {
    PrepareReceivedDocument(bytes);
    const int32_t typeId = catalogue.types->IdFromName(GetRootElementName(bytes));
    CReceiveResult result;
    result.message = catalogue.create(typeId);
    if (result.message) {
        result.message->FromXml(bytes);
        result.message->SetClientId(clientId);
        result.recognized = true;
        return result;
    }
    CRequestMessage bare;
    bare.FromXml(bytes);
    auto answer = std::make_unique<CResponseMessage>(msg::UnrecognizedRequest);
    answer->SetTypeTable(*catalogue.types);
    answer->SetClientId(clientId);
    answer->SetRequestId(bare.RequestId());
    answer->SetReturnCode(kResultInvalidMessage);
    result.message = std::move(answer);
    return result;
}

}  // namespace vantor
