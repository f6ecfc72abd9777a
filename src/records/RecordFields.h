#pragma once

#include "records/RunRecord.h"

namespace orvex {

// Every column of the runs table with the record's field for it, in the
// table's order: one list for writing, reading and exporting rows.
template <typename Record, typename Visitor>
void visitRecordFields(Record& record, Visitor&& visit)
{
    visit("run_id", record.runId);
    visit("started_at", record.startedAt);
    visit("finished_at", record.finishedAt);
    visit("station", record.station);
    visit("operator", record.operatorName);
    visit("program", record.program);
    visit("program_version", record.programVersion);
    visit("port", record.port);
    visit("device", record.device);
    visit("adapter_serial", record.adapterSerial);
    visit("unit_version", record.unitVersion);
    visit("job", record.job);
    visit("firmware_path", record.firmwarePath);
    visit("firmware_sha256", record.firmwareSha256);
    visit("image_sha256", record.imageSha256);
    visit("image_size", record.imageSize);
    visit("steps", record.steps);
    visit("step_results", record.stepResults);
    visit("result", record.result);
    visit("failed_step", record.failedStep);
    visit("message", record.message);
    visit("seconds", record.seconds);
    visit("readback_path", record.readbackPath);
    visit("readback_sha256", record.readbackSha256);
    visit("serial", record.serial);
    visit("serial_reusable", record.serialReusable);
}

} // namespace orvex
