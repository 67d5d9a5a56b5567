#include "rpc_request.h"

#include "tds_constants.h"
#include "tds_value_decoder.h"
#include "wire_reader.h"

#include <cctype>

namespace sqlstandin {

std::string RpcRequest::procedureName(std::uint16_t id) {
    static const char* const names[] = {nullptr,           "sp_cursor",    "sp_cursoropen", "sp_cursorprepare",
                                        "sp_cursorexecute", "sp_cursorprepexec", "sp_cursorunprepare",
                                        "sp_cursorfetch",  "sp_cursoroption", "sp_cursorclose", "sp_executesql",
                                        "sp_prepare",      "sp_execute",   "sp_prepexec",   "sp_prepexecrpc",
                                        "sp_unprepare"};
    if (id >= 1 && id < std::size(names)) return names[id];
    return "procedure #" + std::to_string(id);
}

std::vector<RpcCall> RpcRequest::parse(std::span<const std::uint8_t> body, std::uint32_t tdsVersion) {
    // Calls batched in one request are separated by this byte.
    const std::uint8_t separator = tds::atLeast72(tdsVersion) ? 0xFF : 0x80;
    WireReader in(body);
    std::vector<RpcCall> calls;
    while (!in.atEnd()) {
        RpcCall call;
        const std::uint16_t nameLength = in.u16();
        if (nameLength == 0xFFFF) {
            call.procedure = procedureName(in.u16());
        } else {
            for (char c : in.ucs2(nameLength)) call.procedure += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        in.u16();   // option flags
        while (!in.atEnd() && in.peek() != separator && in.peek() != 0xFE) {
            RpcParameter p;
            p.name = in.bVarchar();
            p.output = (in.u8() & 0x01) != 0;
            p.value = TdsValueDecoder::read(in);
            call.parameters.push_back(std::move(p));
        }
        calls.push_back(std::move(call));
        if (!in.atEnd()) in.u8();
    }
    return calls;
}

}  // namespace sqlstandin
