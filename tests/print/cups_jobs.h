// Jobs on the private print server of with_cupsd.sh: the newest job of a queue
// once it is finished, and one of a job's attributes as CUPS keeps it.
#pragma once

#include <cups/cups.h>

#include <chrono>
#include <string>
#include <thread>

namespace hoxa::test {

struct FinishedJob {
    int id = 0;
    int state = 0;  // ipp_jstate_t
    std::string title;
};

// The newest job of `queue` in any state, waited for (up to 30 s) until it is
// finished; id 0 when the queue has none.
inline FinishedJob WaitForJob(const std::string& queue)
{
    FinishedJob result;
    for (int i = 0; i < 300; ++i) {
        cups_job_t* jobs = nullptr;
        const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue.c_str(), 0, CUPS_WHICHJOBS_ALL);
        int newest = -1;
        for (int j = 0; j < n; ++j)
            if (newest < 0 || jobs[j].id > jobs[newest].id) newest = j;
        if (newest >= 0) result = {jobs[newest].id, jobs[newest].state, jobs[newest].title ? jobs[newest].title : ""};
        cupsFreeJobs(n, jobs);
        if (newest >= 0 && result.state >= IPP_JSTATE_STOPPED) return result;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return result;
}

// The job attribute `name` as text ("Manual", "Custom.10x4in"); empty when the
// job has none.
inline std::string JobAttribute(int id, const char* name)
{
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    const std::string uri = "ipp://localhost/jobs/" + std::to_string(id);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri.c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
    std::string value;
    if (response) {
        if (ipp_attribute_t* a = ippFindAttribute(response, name, IPP_TAG_ZERO)) {
            char buffer[256];
            ippAttributeString(a, buffer, sizeof buffer);
            value = buffer;
        }
        ippDelete(response);
    }
    return value;
}

}  // namespace hoxa::test
