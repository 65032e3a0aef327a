// Bundles the lab into one self-contained page: the page's scripts and
// styles, uPlot and fflate, the registry of programs, the lessons
// (lessons/*.json, each checked against its schema and the registry, and
// the schema itself as a validator the page runs) with the example
// files they start from, and the worker with the WebAssembly module, all
// inlined so that the file works from disk with no server and no network.
//
//   node web/build_lab.mjs [--tools-json build/tools.json] [--suite build-web/ct_suite.js]
//                          [--run-tool web/run_tool.js] [--out build-web/ct-lab.html]
//                          [--programs tool,tool,...]
//
// --programs names the programs the module holds: should a build leave a
// tool out, the lab's registry keeps only the programs named.

import { build } from 'esbuild';
import { readdirSync, readFileSync, writeFileSync, mkdirSync, renameSync } from 'node:fs';
import { dirname, join, resolve } from 'node:path';
import { deflateSync } from 'node:zlib';
import { fileURLToPath } from 'node:url';
import { checkLesson } from './lab/core/lesson.js';
import { compileSchema, readSchema, standaloneValidator } from './schema_check.mjs';

const web = dirname(fileURLToPath(import.meta.url));
const root = resolve(web, '..');
const options = {
  'tools-json': join(root, 'build/tools.json'),
  suite: join(root, 'build-web/ct_suite.js'),
  'run-tool': join(web, 'run_tool.js'),
  examples: join(root, 'examples'),
  lessons: join(root, 'lessons'),
  out: join(root, 'build-web/ct-lab.html'),
};
const argv = process.argv.slice(2);
let held = null;
for (let i = 0; i < argv.length; i += 2) {
  const key = argv[i].replace(/^--/, '');
  if (key === 'programs' && argv[i + 1] !== undefined) {
    held = new Set(argv[i + 1].split(',').filter(Boolean));
    continue;
  }
  if (!(key in options) || argv[i + 1] === undefined) {
    console.error(`build_lab: unknown option ${argv[i]}`);
    process.exit(2);
  }
  options[key] = resolve(argv[i + 1]);
}
const MAX_BYTES = 3 * 1024 * 1024;

const read = (path) => readFileSync(path, 'utf8');
const registry = JSON.parse(read(options['tools-json']));
if (held !== null) {
  const left = registry.programs.filter((p) => !held.has(p.name)).map((p) => p.name);
  registry.programs = registry.programs.filter((p) => held.has(p.name));
  if (left.length) console.log(`build_lab: the module holds no ${left.join(', ')}: the lab leaves them out`);
}
// The example files a lesson may start from, and the lessons, ct-chain first.
// Text files are kept as text; a DICOM sample as {base64} of its bytes.
const examples = Object.fromEntries(
  readdirSync(options.examples)
    .filter((name) => name.endsWith('.txt') || name.endsWith('.dcm'))
    .map((name) => [
      name,
      name.endsWith('.dcm') ? { base64: readFileSync(join(options.examples, name)).toString('base64') } : read(join(options.examples, name)),
    ]),
);
const lessons = readdirSync(options.lessons)
  .filter((name) => name.endsWith('.json') && !name.endsWith('.schema.json'))
  .sort()
  .map((name) => JSON.parse(read(join(options.lessons, name))))
  .sort((a, b) => (a.id === 'ct-chain' ? -1 : b.id === 'ct-chain' ? 1 : 0));
const lessonSchema = readSchema(join(options.lessons, 'lesson.schema.json'));
const validatorModules = {
  'virtual:lesson-validator': lessonSchema,
  'virtual:course-validator': readSchema(join(options.lessons, 'course.schema.json')),
};
const validateLesson = compileSchema(lessonSchema);
for (const lesson of lessons) {
  const problems = checkLesson(lesson, registry, Object.keys(examples), validateLesson);
  if (problems.length) throw new Error(`lesson ${lesson.id}: ${problems.join('; ')}`);
}
// The module's WebAssembly, inlined as a data URI, is named once so that the
// worker can compile it once and make every run's fresh instance from it.
// It is inlined deflated (zlib), a third of its size: most of it is the DICOM
// library's dictionaries, text that compresses well. The worker inflates it
// once with fflate's inflater, bundled into the worker's source.
let suite = read(options.suite);
const inlined = /wasmBinaryFile="(data:application\/octet-stream;base64,([A-Za-z0-9+/=]+))"/.exec(suite);
let inflater = '';
if (inlined) {
  const deflated = deflateSync(Buffer.from(inlined[2], 'base64'), { level: 9 }).toString('base64');
  suite =
    `var ctWasmDeflated=${JSON.stringify(deflated)};\n` +
    suite.replace(inlined[0], () => `wasmBinaryFile=${JSON.stringify('data:application/octet-stream;base64,')}`);
  const bundled = await build({
    stdin: { contents: "import { unzlibSync } from 'fflate'; self.ctUnzlib = unzlibSync;", resolveDir: web },
    bundle: true,
    write: false,
    format: 'iife',
    minify: true,
    target: ['chrome100', 'firefox100', 'safari15'],
    logLevel: 'warning',
  });
  inflater = bundled.outputFiles[0].text;
}
const workerSource = [inflater, suite, read(options['run-tool']), read(join(web, 'lab/run/worker.js'))].join('\n;\n');

const virtualModules = {
  'virtual:tools-json': registry,
  'virtual:lessons': lessons,
  'virtual:examples': examples,
  'virtual:worker-source': workerSource,
};
const virtual = {
  name: 'virtual',
  setup(b) {
    b.onResolve({ filter: /^virtual:/ }, (args) => ({ path: args.path, namespace: 'virtual' }));
    b.onLoad({ filter: /.*/, namespace: 'virtual' }, (args) => ({
      // The schemas as code: the page may not compile one.
      contents:
        args.path in validatorModules ? standaloneValidator(validatorModules[args.path]) : `export default ${JSON.stringify(virtualModules[args.path])};`,
      loader: 'js',
      resolveDir: web, // the validator's own imports come from web/node_modules
    }));
  },
};

const bundle = await build({
  entryPoints: [join(web, 'lab/main.js')],
  bundle: true,
  write: false,
  format: 'iife',
  minify: true,
  charset: 'utf8',
  target: ['chrome100', 'firefox100', 'safari15'],
  plugins: [virtual],
  logLevel: 'warning',
});
const script = bundle.outputFiles[0].text;
const styles = read(join(web, 'node_modules/uplot/dist/uPlot.min.css')) + '\n' + read(join(web, 'lab/style.css'));
if (/<\/script/i.test(script) || /<\/style/i.test(styles)) throw new Error('an inlined text would end its element early');
const page = read(join(web, 'lab/page.html'))
  .replace('/*STYLES*/', () => styles)
  .replace('/*SCRIPT*/', () => script);
const size = Buffer.byteLength(page);
if (size > MAX_BYTES) throw new Error(`the page would be ${size} bytes, more than ${MAX_BYTES}`);
mkdirSync(dirname(options.out), { recursive: true });
writeFileSync(options.out + '.new', page);
renameSync(options.out + '.new', options.out);
console.log(`build_lab: ${options.out} (${(size / 1024 / 1024).toFixed(2)} MiB)`);
