// What the print server says now about a queue and about jobs: the queue's
// state, message and reasons, this user's jobs that have not ended, and where
// one job stands.  Nothing of it is kept: every question is a new request.
#include "print/CupsKeywords.h"
#include "print/CupsSpooler.h"

#include <cups/cups.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>

namespace hoxa {

namespace {

// An IPP request to the server libcups is set up for; null when it did not
// answer.  The caller deletes the answer.
ipp_t* Ask(ipp_op_t op, const char* uriName, const std::string& uri, std::initializer_list<const char*> wanted)
{
    ipp_t* request = ippNewRequest(op);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, uriName, nullptr, uri.c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  static_cast<int>(wanted.size()), nullptr, wanted.begin());
    return cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
}

std::string Uri(const char* path, const std::string& name)
{
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(), path,
                     name.c_str());
    return uri;
}

std::string Text(ipp_t* response, const char* name)
{
    ipp_attribute_t* a = ippFindAttribute(response, name, IPP_TAG_ZERO);
    const char* v = a ? ippGetString(a, 0, nullptr) : nullptr;
    return v ? Utf8ToCp932(v) : std::string();
}

// The keywords of a set, without those that say nothing is wrong.
std::vector<std::string> Keywords(ipp_t* response, const char* name,
                                  std::initializer_list<const char*> quiet = {"none"})
{
    std::vector<std::string> words;
    ipp_attribute_t* a = ippFindAttribute(response, name, IPP_TAG_KEYWORD);
    for (int i = 0; a && i < ippGetCount(a); ++i) {
        const char* v = ippGetString(a, i, nullptr);
        if (v && std::none_of(quiet.begin(), quiet.end(), [v](const char* q) { return std::strcmp(q, v) == 0; }))
            words.push_back(v);
    }
    return words;
}

}  // namespace

PrinterStatus CupsSpooler::Status(const std::string& printer)
{
    PrinterStatus status;
    ipp_t* response = Ask(IPP_OP_GET_PRINTER_ATTRIBUTES, "printer-uri", Uri("/printers/%s", QueueName(printer)),
                          {"printer-state", "printer-is-accepting-jobs", "printer-state-message",
                           "printer-state-reasons"});
    if (!response) {
        status.reachable = false;
        return status;
    }
    const ipp_status_t code = ippGetStatusCode(response);
    if (code == IPP_STATUS_ERROR_NOT_FOUND) {
        status.known = false;
        status.reason = Text(response, "status-message");
    } else if (code < IPP_STATUS_REDIRECTION_OTHER_SITE) {  // a successful answer
        if (ipp_attribute_t* a = ippFindAttribute(response, "printer-state", IPP_TAG_ENUM))
            status.stopped = ippGetInteger(a, 0) == IPP_PSTATE_STOPPED;
        if (ipp_attribute_t* a = ippFindAttribute(response, "printer-is-accepting-jobs", IPP_TAG_BOOLEAN))
            status.accepting = ippGetBoolean(a, 0) != 0;
        status.reason = Text(response, "printer-state-message");
        status.reasons = Keywords(response, "printer-state-reasons");
    }
    ippDelete(response);
    return status;
}

std::vector<int> CupsSpooler::PendingJobs(const std::string& printer)
{
    cups_job_t* jobs = nullptr;
    const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, QueueName(printer).c_str(), 1, CUPS_WHICHJOBS_ACTIVE);
    std::vector<int> ids;
    for (int i = 0; i < n; ++i) ids.push_back(jobs[i].id);
    cupsFreeJobs(n, jobs);
    std::sort(ids.begin(), ids.end());
    return ids;
}

JobStatus CupsSpooler::JobStatusOf(int id)
{
    JobStatus job;
    ipp_t* response = Ask(IPP_OP_GET_JOB_ATTRIBUTES, "job-uri", Uri("/jobs/%s", std::to_string(id)),
                          {"job-state", "job-state-reasons", "job-printer-state-message"});
    if (!response) return job;
    if (ippGetStatusCode(response) < IPP_STATUS_REDIRECTION_OTHER_SITE) {
        if (ipp_attribute_t* a = ippFindAttribute(response, "job-state", IPP_TAG_ENUM)) {
            switch (ippGetInteger(a, 0)) {
            case IPP_JSTATE_PENDING: job.state = JobState::Pending; break;
            case IPP_JSTATE_HELD: job.state = JobState::Held; break;
            case IPP_JSTATE_PROCESSING: job.state = JobState::Processing; break;
            case IPP_JSTATE_STOPPED: job.state = JobState::Stopped; break;
            case IPP_JSTATE_CANCELED: job.state = JobState::Canceled; break;
            case IPP_JSTATE_ABORTED: job.state = JobState::Aborted; break;
            case IPP_JSTATE_COMPLETED: job.state = JobState::Completed; break;
            default: break;
            }
        }
        // The printer's words at the job's last state change, else why the job
        // is in its state (what only says it is being printed is no reason).
        job.reason = Text(response, "job-printer-state-message");
        if (job.reason.empty()) {
            for (const std::string& k : Keywords(response, "job-state-reasons",
                                                 {"none", "job-printing", "job-queued", "job-incoming",
                                                  "processing-to-stop-point", "job-completed-successfully"}))
                job.reason += (job.reason.empty() ? "" : ", ") + k;
        }
    }
    ippDelete(response);
    return job;
}

std::string CupsSpooler::ServerName()
{
    std::string server = cupsServer();
    if (server.empty() || server[0] == '/') return "localhost";  // the local socket
    if (server[0] == '[') return server.substr(0, server.find(']') + 1);
    if (const auto colon = server.find(':'); colon != std::string::npos && server.find(':', colon + 1) == std::string::npos)
        server.resize(colon);
    return Utf8ToCp932(server.c_str());
}

}  // namespace hoxa
