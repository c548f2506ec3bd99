// Drives the web page in headless Chromium for the tests and benchmarks, with
// nothing but Node: it serves a folder on localhost, starts Chromium with WebGL on
// SwiftShader, and speaks the DevTools protocol over --remote-debugging-pipe.
//
//   node page_driver.mjs FOLDER OUT_FOLDER STEPS_JSON
//
// What it reports goes to stdout and to OUT_FOLDER/report, a line each.
// STEPS_JSON is a list of steps, run in order:
//   {"open": "vorrend.html?time=21"}           load a page of FOLDER, 640x480 viewport
//   {"wait": "js expression", "seconds": 60}   until it is true; fails after the time
//   {"value": "name", "js": "expression"}      reports: value NAME JSON
//   {"save": "file", "js": "expression"}       a base64 string from the page, decoded
//                                              into OUT_FOLDER/file
//   {"key": "a"}                               a key press, as the viewer's
//   {"screenshot": "file.png"}                 the page as shown, into OUT_FOLDER/file
//   {"sleep": 2}
// Every console message and uncaught exception of the page is reported as
//   console LEVEL TEXT
// and every request for a file FOLDER lacks as
//   missing PATH
// Exits 1, saying why on stderr, when a step fails or Chromium goes away.
import {spawn} from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';

const [folder, out, stepsFile] = process.argv.slice(2);
const root = path.resolve(folder);
const steps = JSON.parse(fs.readFileSync(stepsFile, 'utf8'));
const report = (line) => {
  fs.appendFileSync(path.join(out, 'report'), line + '\n');
  console.log(line);
};
const types = {'.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm'};

const server = http.createServer((request, response) => {
  const file = path.join(root, path.normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname)));
  fs.readFile(file, (error, data) => {
    if (error || !file.startsWith(root + path.sep)) {
      report(`missing ${request.url}`);
      return response.writeHead(404).end();
    }
    response.writeHead(200, {'Content-Type': types[path.extname(file)] || 'application/octet-stream'}).end(data);
  });
});
await new Promise((ready) => server.listen(0, '127.0.0.1', ready));
const origin = `http://127.0.0.1:${server.address().port}/`;

const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'vorrend-chromium-'));
const chromium = spawn(process.env.CHROMIUM || 'chromium', [
  '--headless=new', '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--no-sandbox', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync', '--disable-quic',
  '--autoplay-policy=no-user-gesture-required', '--remote-debugging-pipe', `--user-data-dir=${profile}`, 'about:blank',
  // A process group of its own, so that its helpers go with it at the end.
], {stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe'], detached: true});
const exited = new Promise((done) => chromium.on('exit', done));
chromium.stderr.on('data', () => {});  // its own chatter

let finishing = false;
function fail(message) {
  if (finishing) return;
  process.stderr.write(`page_driver: ${message}\n`);
  finish(1);
}
async function finish(code) {
  finishing = true;
  if (chromium.pid) {
    const group = -chromium.pid;
    const killGroup = (signal) => {
      try {
        process.kill(group, signal);
      } catch {}  // gone already
    };
    killGroup('SIGTERM');
    await Promise.race([exited, new Promise((later) => setTimeout(later, 5000))]);
    killGroup('SIGKILL');  // whatever of it lingers, so its profile can go
  }
  server.close();
  fs.rmSync(profile, {recursive: true, force: true});
  process.exit(code);
}
exited.then(() => fail('chromium ended'));
chromium.on('error', (error) => fail(`cannot start chromium: ${error.message}`));
chromium.stdio[3].on('error', () => {});  // written to after it ended: the failure is told above

let pending = '', nextId = 0;
const answers = new Map();
chromium.stdio[4].on('data', (chunk) => {
  pending += chunk;
  for (let end; (end = pending.indexOf('\0')) >= 0; pending = pending.slice(end + 1)) {
    const message = JSON.parse(pending.slice(0, end));
    if (message.id && answers.has(message.id)) answers.get(message.id)(message);
    else if (message.method) onEvent(message);
  }
});
let session;
function send(method, params = {}) {
  const message = {id: ++nextId, method, params, sessionId: session};
  chromium.stdio[3].write(JSON.stringify(message) + '\0');
  return new Promise((answer) => answers.set(message.id, answer)).then((reply) => {
    if (reply.error) throw new Error(`${method}: ${reply.error.message}`);
    return reply.result;
  });
}
let loaded = () => {};
function onEvent({method, params}) {
  if (method == 'Page.loadEventFired') loaded();
  if (method == 'Runtime.consoleAPICalled') {
    const text = params.args.map((a) => a.value ?? a.description ?? '').join(' ');
    report(`console ${params.type} ${text}`);
  } else if (method == 'Runtime.exceptionThrown') {
    const d = params.exceptionDetails;
    report(`console exception ${d.exception?.description ?? d.text}`);
  } else if (method == 'Log.entryAdded') {
    report(`console ${params.entry.level} ${params.entry.text}`);
  }
}
async function evaluate(js) {
  const result = await send('Runtime.evaluate', {expression: js, returnByValue: true, awaitPromise: true});
  if (result.exceptionDetails) throw new Error(`${js}: ${result.exceptionDetails.exception?.description}`);
  return result.result.value;
}

try {
  const {targetId} = await send('Target.createTarget', {url: 'about:blank'});
  ({sessionId: session} = await send('Target.attachToTarget', {targetId, flatten: true}));
  await send('Runtime.enable');
  await send('Log.enable');
  await send('Page.enable');
  await send('Emulation.setDeviceMetricsOverride', {width: 640, height: 480, deviceScaleFactor: 1, mobile: false});
  for (const step of steps) {
    if (step.open) {
      const load = new Promise((done, late) => {
        loaded = done;
        setTimeout(() => late(new Error(`${step.open} did not load within 60 s`)), 60000);
      });
      await send('Page.navigate', {url: origin + step.open});
      await load;
    } else if (step.wait) {
      const until = Date.now() + (step.seconds ?? 60) * 1000;
      while (!(await evaluate(step.wait).catch(() => false))) {
        if (Date.now() > until) throw new Error(`still not true after ${step.seconds ?? 60} s: ${step.wait}`);
        await new Promise((later) => setTimeout(later, 50));
      }
    } else if (step.value) {
      report(`value ${step.value} ${JSON.stringify(await evaluate(step.js))}`);
    } else if (step.save) {
      fs.writeFileSync(path.join(out, step.save), Buffer.from(await evaluate(step.js), 'base64'));
    } else if (step.key) {
      for (const type of ['keyDown', 'keyUp']) await send('Input.dispatchKeyEvent', {type, key: step.key});
    } else if (step.screenshot) {
      const {data} = await send('Page.captureScreenshot', {format: 'png'});
      fs.writeFileSync(path.join(out, step.screenshot), Buffer.from(data, 'base64'));
    } else if (step.sleep) {
      await new Promise((later) => setTimeout(later, step.sleep * 1000));
    }
  }
  await finish(0);
} catch (error) {
  fail(error.message);
}
