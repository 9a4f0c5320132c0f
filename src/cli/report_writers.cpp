#include "cli/report_writers.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace brenmoor::cli {
namespace {

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string xmlText(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default:
            // XML 1.0 admits no other control characters.
            if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t') out += '?';
            else out += c;
        }
    }
    return out;
}

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

}  // namespace

std::string summaryTable(const RunReport& report) {
    std::ostringstream out;
    char line[256];
    std::snprintf(line, sizeof line, "%-4s %-6s %7s %-6s %-10s %8s %10s %10s %5s  %s\n", "Port", "COM", "Baud",
                  "Frame", "Return", "Packets", "Sent", "Received", "Use", "Verdict");
    out << line;
    for (const PortReport& port : report.ports) {
        std::snprintf(line, sizeof line, "%-4d %-6s %7u %-6s %-10s %8llu %10llu %10llu %5s  %s", port.port,
                      ("COM" + std::to_string(port.com)).c_str(), port.baud, port.framing.c_str(),
                      port.returnPath.c_str(), static_cast<unsigned long long>(port.packets),
                      static_cast<unsigned long long>(port.bytesSent),
                      static_cast<unsigned long long>(port.bytesReceived), fixed(port.lineUse, 2).c_str(),
                      port.passed ? "pass" : "FAIL");
        out << line;
        if (!port.passed) out << ": " << port.reason;
        out << '\n';
    }
    out << (report.interrupted ? "Interrupted after " : "Ran ") << fixed(report.seconds, 1) << " s: "
        << (report.passed() ? "pass" : "fail") << '\n';
    return out.str();
}

std::string jsonReport(const RunReport& report) {
    std::ostringstream out;
    out << "{\n  \"tool\": \"brenmoor-cli\",\n  \"version\": " << jsonString(report.version)
        << ",\n  \"backend\": " << jsonString(report.backend) << ",\n  \"started\": " << jsonString(report.started)
        << ",\n  \"seconds\": " << fixed(report.seconds, 3)
        << ",\n  \"verdict\": " << (report.passed() ? "\"pass\"" : "\"fail\"")
        << ",\n  \"interrupted\": " << (report.interrupted ? "true" : "false") << ",\n  \"messages\": [";
    for (std::size_t i = 0; i < report.messages.size(); ++i)
        out << (i ? ", " : "") << jsonString(report.messages[i]);
    out << "],\n  \"ports\": [";
    for (std::size_t i = 0; i < report.ports.size(); ++i) {
        const PortReport& p = report.ports[i];
        out << (i ? "," : "") << "\n    {\"port\": " << p.port << ", \"com\": " << jsonString("COM" + std::to_string(p.com))
            << ", \"device\": " << jsonString(p.device) << ", \"baud\": " << p.baud
            << ", \"framing\": " << jsonString(p.framing) << ", \"pattern\": " << jsonString(p.pattern)
            << ", \"return_path\": " << jsonString(p.returnPath) << ",\n     \"packets\": " << p.packets
            << ", \"bytes_sent\": " << p.bytesSent << ", \"bytes_received\": " << p.bytesReceived
            << ", \"mismatches\": " << p.mismatches << ", \"first_mismatch_offset\": "
            << (p.firstMismatchOffset ? std::to_string(*p.firstMismatchOffset) : "null")
            << ", \"missing\": " << p.missing << ", \"extra\": " << p.extra
            << ",\n     \"line_errors\": {\"frame\": " << p.lineErrors.frame << ", \"parity\": " << p.lineErrors.parity
            << ", \"overrun\": " << p.lineErrors.overrun << ", \"break\": " << p.lineErrors.brk
            << "}, \"line_use\": " << fixed(p.lineUse, 4) << ", \"messages\": [";
        for (std::size_t m = 0; m < p.messages.size(); ++m) out << (m ? ", " : "") << jsonString(p.messages[m]);
        out << "],\n     \"verdict\": " << (p.passed ? "\"pass\"" : "\"fail\"") << ", \"reason\": " << jsonString(p.reason)
            << "}";
    }
    out << "\n  ]\n}\n";
    return out.str();
}

std::string junitReport(const RunReport& report) {
    std::size_t failures = 0;
    for (const PortReport& port : report.ports) failures += port.passed ? 0 : 1;
    std::ostringstream out;
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuite name=\"brenmoor-cli\" tests=\""
        << report.ports.size() << "\" failures=\"" << failures << "\" errors=\"0\" time=\"" << fixed(report.seconds, 3)
        << "\" timestamp=\"" << xmlText(report.started) << "\">\n";
    for (const PortReport& port : report.ports) {
        out << "  <testcase classname=\"brenmoor-cli\" name=\"Port" << port.port << " COM" << port.com
            << "\" time=\"" << fixed(report.seconds, 3) << "\"";
        if (port.passed) {
            out << "/>\n";
            continue;
        }
        out << ">\n    <failure message=\"" << xmlText(port.reason) << "\">";
        for (const std::string& message : port.messages) out << xmlText(message) << '\n';
        out << "</failure>\n  </testcase>\n";
    }
    out << "</testsuite>\n";
    return out.str();
}

bool writeReportFile(const std::string& path, const std::string& text, std::string& error) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file) file << text;
    if (file) file.close();
    if (!file) {
        error = "Unable to write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace brenmoor::cli
