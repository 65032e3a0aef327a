// An iterative reconstruction as its run tells it in its events: the
// residual and RMSE of each iteration as the progress events bring them
// (the curve drawn while the run goes on), and the images it wrote after
// chosen iterations (the iteration of their file events). Nothing here
// reads a table or a file name: a run that says nothing gives nothing.

export const ITERATION_STAGE = 'iteration';

const isIteration = (e) => e.event === 'progress' && e.stage === ITERATION_STAGE && Number.isInteger(e.done);
const measured = (v) => (typeof v === 'number' && Number.isFinite(v) ? v : null);

// The iterations so far, in the shape tableData gives the run's own table
// (a column per measure, named as the table's header names them, residual
// and rmse), with the latest count: {x, series, xQuantity, xUnit, grid,
// done, total}; null before the first iteration's event.
export function iterationData(events) {
  const steps = events.filter(isIteration);
  if (steps.length === 0) return null;
  const last = steps[steps.length - 1];
  const series = [{ label: 'residual', values: steps.map((e) => measured(e.residual)) }];
  // The RMSE only when the run has a reference, as its table has it.
  if (steps.some((e) => 'rmse' in e)) series.push({ label: 'rmse', values: steps.map((e) => measured(e.rmse)) });
  return { x: steps.map((e) => e.done), series, xQuantity: 'iteration', xUnit: '', grid: true, done: last.done, total: last.total };
}

// The images a run wrote after an iteration, in the order of the
// iterations: [{name, iteration}], the last one written for a name kept.
export function iterationOutputs(events) {
  const byName = new Map();
  for (const e of events) {
    if (e.event === 'file' && e.role === 'output' && !e.planned && Number.isInteger(e.iteration)) byName.set(e.name, e.iteration);
  }
  return [...byName].map(([name, iteration]) => ({ name, iteration })).sort((a, b) => a.iteration - b.iteration);
}

// The series a picture view steps through for the image `record`: the
// images its run wrote after chosen iterations, each with its record
// (`recordOf(name)`, null once removed), those still there, in order; the
// image itself alone when its run said of no series (an upload, an older run).
export async function pictureSeries(record, recordOf) {
  const said = (record.made && record.made.series) || [];
  if (!said.some((s) => s.name === record.name)) return [{ iteration: null, record }];
  const found = [];
  for (const { name, iteration } of said) {
    const r = name === record.name ? record : await recordOf(name);
    if (r) found.push({ iteration, record: r });
  }
  return found;
}
